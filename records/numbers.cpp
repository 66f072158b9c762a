#include "records/numbers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "platform/host/files.h"

std::int32_t g_ranking[6] = {0, 0, 0, 0, 0, 0};

namespace {

// Editors on some systems start a UTF-8 text file with a byte order mark.
void SkipByteOrderMark(std::FILE* file) {
    char mark[3] = {};
    if (std::fread(mark, 1, 3, file) != 3 || std::memcmp(mark, "\xEF\xBB\xBF", 3) != 0) std::rewind(file);
}

}  // namespace

bool ScanNumber(std::FILE* file, std::int32_t& value) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c)) c = std::fgetc(file);
    const bool negative = (c == '-');
    if (c == '-' || c == '+') c = std::fgetc(file);
    if (c == EOF || !std::isdigit(c)) {
        if (c != EOF) std::ungetc(c, file);
        return false;
    }
    // Out of the int range the number saturates at the limit: wrapping would turn a
    // huge score into an arbitrary one, which the next save writes back.
    constexpr std::int64_t LIMIT = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; c != EOF && std::isdigit(c); c = std::fgetc(file)) {
        magnitude = std::min(magnitude * 10 + (c - '0'), LIMIT);
    }
    if (c != ',' && c != EOF) std::ungetc(c, file);
    value = static_cast<std::int32_t>(
        std::clamp(negative ? -magnitude : magnitude, -LIMIT, LIMIT - 1));
    return true;
}

void ReadNumbers(int count, std::int32_t* values, const char* path) {
    std::FILE* file = OpenGameFile(path, "rt");
    if (file == nullptr) return;
    SkipByteOrderMark(file);
    for (int i = 0; i < count; ++i) {
        // A failed scan leaves the entry as it was; the offending character stays
        // unread, so every later scan fails the same way.
        std::int32_t value = 0;
        if (ScanNumber(file, value)) values[i] = value;
    }
    std::fclose(file);
}

bool ReadsAsNumbers(int count, const char* path) {
    std::FILE* file = OpenGameFile(path, "rt");
    if (file == nullptr) return true;
    SkipByteOrderMark(file);
    int read = 0;
    std::int32_t value = 0;
    while (read < count && ScanNumber(file, value)) ++read;
    // Short of the count, only white space may follow the last number.
    bool readable = read == count;
    if (!readable) {
        const int scanned = std::fscanf(file, " ");
        readable = scanned == EOF || std::fgetc(file) == EOF;
    }
    std::fclose(file);
    return readable;
}

std::string FormatNumbers(int count, const std::int32_t* values) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(values[i]) + ",";
    return text;
}

void WriteNumbers(int count, const std::int32_t* values, const char* path) {
    ReplaceFileAtomically(path, FormatNumbers(count, values));
}

void SortDescending(int count, std::int32_t* values) {
    // An exchange sort that starts over after every exchange; the table has six
    // entries at most.
    for (int i = 0; i < count; ++i) {
        for (int j = i; j < count; ++j) {
            if (static_cast<std::uint32_t>(values[j]) > static_cast<std::uint32_t>(values[i])) {
                const std::int32_t swap = values[i];
                values[i] = values[j];
                values[j] = swap;
                i = 0;
                j = 0;
            }
        }
    }
}

void EnterScore(std::int32_t* values, std::uint32_t score) {
    for (int slot = 0; slot < RANKING_SIZE; ++slot) {
        if (score >= static_cast<std::uint32_t>(values[slot])) {
            values[RANKING_CANDIDATE] = static_cast<std::int32_t>(score);
            return;
        }
    }
}

int PlaceOf(const std::int32_t* ranking, std::uint32_t score) {
    int above = 0;
    for (int slot = 0; slot < RANKING_SIZE; ++slot) {
        if (static_cast<std::uint32_t>(ranking[slot]) >= score) ++above;
    }
    return above < RANKING_SIZE ? above + 1 : 0;
}
