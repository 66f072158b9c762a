#include "platform/music/take_file.h"

#include <FLAC/metadata.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

#include "platform/host/files.h"
#include "platform/music/synth_setup.h"

namespace {

constexpr unsigned RATE = 44100;
// The end's frame is written as a fixed-width number, filled in once the take is whole.
constexpr std::string_view END_TAG = "LANTERN_BLADE_END=";
// What the take is of: its key (checked when it is read), and for people the piece's file
// and the soundfont.
constexpr std::string_view KEY_TAG = "LANTERN_BLADE_TAKE=";
constexpr std::string_view PIECE_TAG = "LANTERN_BLADE_PIECE=";
constexpr std::string_view SOUNDFONT_TAG = "LANTERN_BLADE_SOUNDFONT=";
constexpr int END_DIGITS = 12;
// The comment lies in the file's first few hundred bytes.
constexpr std::size_t HEAD_BYTES = 4096;

std::uint64_t Mix(std::uint64_t hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
    return hash;
}

std::uint64_t Mix(std::uint64_t hash, std::string_view text) {
    return Mix(hash, text.data(), text.size() + 1);
}

// Writes the end's frame over the zeros the comment was written with.
bool PatchEnd(int fd, std::uint64_t endFrame) {
    std::string head(HEAD_BYTES, '\0');
    const ssize_t read = ::pread(fd, head.data(), head.size(), 0);
    head.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    const std::size_t at = head.find(END_TAG);
    char digits[END_DIGITS + 1];
    std::snprintf(digits, sizeof digits, "%0*llu", END_DIGITS, static_cast<unsigned long long>(endFrame));
    return at != std::string::npos &&
           ::pwrite(fd, digits, END_DIGITS, static_cast<off_t>(at + END_TAG.size())) == END_DIGITS;
}

// Adds "NAME=value" to the comment block.
bool Comment(FLAC__StreamMetadata* comment, std::string_view tag, const std::string& value) {
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    return FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(
               &entry, std::string(tag.substr(0, tag.size() - 1)).c_str(), value.c_str()) &&
           FLAC__metadata_object_vorbiscomment_append_comment(comment, entry, false);
}

}  // namespace

namespace music {

std::string TakeKey(const std::string& soundfont, const std::vector<std::uint8_t>& piece) {
    std::error_code error;
    const auto size = static_cast<std::uint64_t>(std::filesystem::file_size(soundfont, error));
    const auto changed = std::filesystem::last_write_time(soundfont, error).time_since_epoch().count();
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    hash = Mix(hash, SYNTH_SETTINGS_TAG);
    hash = Mix(hash, soundfont);
    hash = Mix(hash, &size, sizeof size);
    hash = Mix(hash, &changed, sizeof changed);
    hash = Mix(hash, piece.data(), piece.size());
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
    return key;
}

std::filesystem::path TakePath(const std::filesystem::path& folder, const std::string& key) {
    return folder / (key + ".flac");
}

TakeWriter::TakeWriter(const std::filesystem::path& path, const std::string& key, const std::string& pieceName,
                       const std::string& soundfont)
    : path_(path) {
    static std::atomic<int> serial{0};
    partial_ = path;
    partial_ += ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    fd_ = ::open(partial_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // The encoder closes its stream when it is finished; the end is written after that.
    const int encoderFd = fd_ < 0 ? -1 : ::dup(fd_);
    std::FILE* stream = encoderFd < 0 ? nullptr : ::fdopen(encoderFd, "w+b");
    if (stream == nullptr) {
        if (encoderFd >= 0) ::close(encoderFd);
        Drop();
        return;
    }
    encoder_ = FLAC__stream_encoder_new();
    comment_ = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (encoder_ == nullptr || comment_ == nullptr) {
        std::fclose(stream);
        Drop();
        return;
    }
    const bool set = Comment(comment_, END_TAG, std::string(END_DIGITS, '0')) && Comment(comment_, KEY_TAG, key) &&
                     Comment(comment_, PIECE_TAG, pieceName) && Comment(comment_, SOUNDFONT_TAG, soundfont);
    FLAC__stream_encoder_set_channels(encoder_, 2);
    FLAC__stream_encoder_set_bits_per_sample(encoder_, 16);
    FLAC__stream_encoder_set_sample_rate(encoder_, RATE);
    FLAC__stream_encoder_set_compression_level(encoder_, 5);
    FLAC__stream_encoder_set_metadata(encoder_, &comment_, 1);
    // From here the encoder owns the stream, whether it starts or not.
    const bool ready = FLAC__stream_encoder_init_FILE(encoder_, stream, nullptr, nullptr) ==
                           FLAC__STREAM_ENCODER_INIT_STATUS_OK &&
                       set;
    if (!ready) Drop();
}

TakeWriter::~TakeWriter() {
    Drop();
    if (comment_ != nullptr) FLAC__metadata_object_delete(comment_);
}

void TakeWriter::Drop() {
    if (encoder_ != nullptr) FLAC__stream_encoder_delete(encoder_);
    encoder_ = nullptr;
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(partial_.c_str());
}

bool TakeWriter::Add(const std::int16_t* samples, int frames) {
    if (encoder_ == nullptr) return false;
    wide_.assign(samples, samples + frames * 2);
    return FLAC__stream_encoder_process_interleaved(encoder_, wide_.data(), static_cast<unsigned>(frames));
}

bool TakeWriter::Finish(std::uint64_t endFrame) {
    if (encoder_ == nullptr) return false;
    const bool finished = FLAC__stream_encoder_finish(encoder_);
    FLAC__stream_encoder_delete(encoder_);
    encoder_ = nullptr;
    if (!finished || !PatchEnd(fd_, endFrame) || ::rename(partial_.c_str(), path_.c_str()) != 0) {
        Drop();
        return false;
    }
    ::close(fd_);
    fd_ = -1;
    return true;
}

std::unique_ptr<TakeReader> TakeReader::Open(const std::filesystem::path& path, const std::string& key) {
    const int fd = OpenRegularFile(path.string(), O_RDONLY, nullptr);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (file == nullptr) {
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    std::unique_ptr<TakeReader> reader(new TakeReader());
    reader->path_ = path;
    reader->decoder_ = FLAC__stream_decoder_new();
    if (reader->decoder_ == nullptr) {
        std::fclose(file);
        return nullptr;
    }
    FLAC__stream_decoder_set_metadata_respond(reader->decoder_, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    // From here the decoder owns the file, whether it starts or not.
    if (FLAC__stream_decoder_init_FILE(reader->decoder_, file, Write, Metadata, Error, reader.get()) !=
            FLAC__STREAM_DECODER_INIT_STATUS_OK ||
        !FLAC__stream_decoder_process_until_end_of_metadata(reader->decoder_) || !reader->wellFormed_ ||
        reader->key_ != key || reader->endFrame_ == 0 || reader->endFrame_ > reader->frames_) {
        return nullptr;
    }
    // A file cut short (a full disk, a crash while it was copied) cannot reach its last frame.
    if (!FLAC__stream_decoder_seek_absolute(reader->decoder_, reader->frames_ - 1) || reader->damaged_) {
        return nullptr;
    }
    // Back at the start, what the seek decodes is the first to play.
    reader->decoded_.clear();
    if (!FLAC__stream_decoder_seek_absolute(reader->decoder_, 0)) return nullptr;
    // Played now: the cache, when it is full, lets the takes played longest ago go first.
    ::futimens(fd, nullptr);
    return reader;
}

TakeReader::~TakeReader() {
    if (decoder_ != nullptr) FLAC__stream_decoder_delete(decoder_);
    std::error_code error;
    if (damaged_) std::filesystem::remove(path_, error);
}

int TakeReader::AddTo(float* block, int frames) {
    int added = 0;
    while (added < frames && at_ < frames_) {
        if (next_ >= decoded_.size() && !damaged_) {
            decoded_.clear();
            next_ = 0;
            // Several frames at a time: the decoder, woken once a buffer, spends as much
            // again on finding its tables in a cold cache as on the frame itself.
            for (int frame = 0; frame < DECODE_AHEAD && !damaged_ && at_ + decoded_.size() / 2 < frames_; ++frame) {
                const std::size_t before = decoded_.size();
                if (!FLAC__stream_decoder_process_single(decoder_) || decoded_.size() == before) damaged_ = true;
                // Nothing of a damaged frame plays; the frames before it do.
                if (damaged_) decoded_.resize(before);
            }
        }
        if (Damaged()) break;
        // The rest of the decoded frame that the block and the take have room for, at once.
        const auto run = static_cast<int>(std::min<std::uint64_t>(
            {static_cast<std::uint64_t>(frames - added), frames_ - at_, (decoded_.size() - next_) / 2}));
        const float* from = decoded_.data() + next_;
        float* to = block + added * 2;
        for (int i = 0; i < run * 2; ++i) to[i] += from[i];
        next_ += static_cast<std::size_t>(run) * 2;
        added += run;
        at_ += static_cast<std::uint64_t>(run);
    }
    return added;
}

FLAC__StreamDecoderWriteStatus TakeReader::Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                 const FLAC__int32* const buffer[], void* self) {
    auto* reader = static_cast<TakeReader*>(self);
    const unsigned count = frame->header.blocksize;
    const std::size_t at = reader->decoded_.size();
    reader->decoded_.resize(at + std::size_t{count} * 2);
    for (unsigned i = 0; i < count; ++i) {
        reader->decoded_[at + i * 2] = static_cast<float>(buffer[0][i]) / 32767.0f;
        reader->decoded_[at + i * 2 + 1] = static_cast<float>(buffer[1][i]) / 32767.0f;
    }
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void TakeReader::Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* self) {
    auto* reader = static_cast<TakeReader*>(self);
    if (block->type == FLAC__METADATA_TYPE_STREAMINFO) {
        const FLAC__StreamMetadata_StreamInfo& info = block->data.stream_info;
        reader->wellFormed_ = info.channels == 2 && info.bits_per_sample == 16 && info.sample_rate == RATE &&
                              info.total_samples > 0;
        reader->frames_ = info.total_samples;
        return;
    }
    const FLAC__StreamMetadata_VorbisComment& comment = block->data.vorbis_comment;
    for (FLAC__uint32 i = 0; i < comment.num_comments; ++i) {
        const std::string_view entry(reinterpret_cast<const char*>(comment.comments[i].entry),
                                     comment.comments[i].length);
        if (entry.substr(0, KEY_TAG.size()) == KEY_TAG) reader->key_ = entry.substr(KEY_TAG.size());
        if (entry.size() != END_TAG.size() + END_DIGITS || entry.substr(0, END_TAG.size()) != END_TAG) continue;
        const std::string_view digits = entry.substr(END_TAG.size());
        if (digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
        reader->endFrame_ = std::stoull(std::string(digits));
    }
}

void TakeReader::Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* self) {
    static_cast<TakeReader*>(self)->damaged_ = true;
}

}  // namespace music
