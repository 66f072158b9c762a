#include "records/numbers.h"

#include <cstdio>
#include <string>

#include "platform/files.h"

std::int32_t g_ranking[6] = {0, 0, 0, 0, 0, 0};

void ReadNumbers(int count, std::int32_t* values, const char* path) {
    std::FILE* file = OpenGameFile(path, "rt");
    if (file == nullptr) return;
    for (int i = 0; i < count; ++i) {
        // A failed scan leaves the entry as it was; the offending character stays
        // unread, so every later scan fails the same way.
        int value = 0;
        if (std::fscanf(file, "%d,", &value) == 1) values[i] = value;
    }
    std::fclose(file);
}

static std::string FormatNumbers(int count, const std::int32_t* values) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(values[i]) + ",";
    return text;
}

void WriteNumbers(int count, const std::int32_t* values, const char* path) {
    std::FILE* file = OpenGameFile(path, "wt");
    if (file == nullptr) return;
    const std::string text = FormatNumbers(count, values);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void SaveNumbersAtomically(int count, const std::int32_t* values, const char* path) {
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
