// A piece's first pass as the synthesizer renders it from silence (through its end and on
// until its tails have died away), kept on disk as lossless FLAC so that later passes are
// read back at a tiny cost instead of synthesized again. The file names the frame where
// the piece ends and its key; its name is the key, a hash of everything that shapes the
// sound.
#pragma once

#include <FLAC/stream_decoder.h>
#include <FLAC/stream_encoder.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace music {

// What names a take: a hash of the piece's bytes, the soundfont at `soundfont` (its path,
// size and time of change stand for its contents) and the synthesizer's settings.
std::string TakeKey(const std::string& soundfont, const std::vector<std::uint8_t>& piece);
// The take's file in `folder`.
std::filesystem::path TakePath(const std::filesystem::path& folder, const std::string& key);

// Writes a take to a file of its own beside `path`, which it replaces only once the
// take is whole, so a take cut short or written twice at once never shows. The file names
// inside it its key, and the piece and the soundfont it was made of.
class TakeWriter {
public:
    TakeWriter(const std::filesystem::path& path, const std::string& key, const std::string& pieceName,
               const std::string& soundfont);
    ~TakeWriter();
    TakeWriter(const TakeWriter&) = delete;
    TakeWriter& operator=(const TakeWriter&) = delete;
    bool Good() const { return encoder_ != nullptr; }
    // Interleaved stereo frames.
    bool Add(const std::int16_t* samples, int frames);
    // Ends the file and puts it in place, the piece ending after `endFrame` frames.
    bool Finish(std::uint64_t endFrame);

private:
    // Gives up the file being written.
    void Drop();

    std::filesystem::path path_;
    std::filesystem::path partial_;
    int fd_ = -1;  // the partial file, made here: nothing planted at its name is followed
    FLAC__StreamEncoder* encoder_ = nullptr;
    FLAC__StreamMetadata* comment_ = nullptr;  // the encoder reads it until it is finished
    std::vector<FLAC__int32> wide_;
};

// Reads a take from its start. Damage the opening checks cannot see (a bad frame
// inside) ends what the take gives (the player goes on without it), and the file is
// removed so that it is rendered again.
class TakeReader {
public:
    // Null when the file is missing, is not a regular file (a FIFO is never waited on), is
    // not the take of that key (another's renamed into place), or is cut short.
    static std::unique_ptr<TakeReader> Open(const std::filesystem::path& path, const std::string& key);
    ~TakeReader();
    TakeReader(const TakeReader&) = delete;
    TakeReader& operator=(const TakeReader&) = delete;

    // Adds the next frames (at most `frames`, fewer at the take's end) onto interleaved
    // stereo at full scale 1.0; returns how many.
    int AddTo(float* block, int frames);
    std::uint64_t At() const { return at_; }
    std::uint64_t EndFrame() const { return endFrame_; }
    bool Done() const { return at_ >= frames_; }
    // Whether a damaged frame has ended the take at At().
    bool Damaged() const { return damaged_ && next_ >= decoded_.size(); }

private:
    TakeReader() = default;
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* self);
    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* self);
    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* self);

    std::filesystem::path path_;
    FLAC__StreamDecoder* decoder_ = nullptr;
    std::uint64_t frames_ = 0;
    std::uint64_t endFrame_ = 0;
    std::uint64_t at_ = 0;
    std::string key_;
    bool wellFormed_ = false;
    bool damaged_ = false;
    static constexpr int DECODE_AHEAD = 16;  // frames of the file decoded at once
    std::vector<float> decoded_;   // the frames decoded last, interleaved
    std::size_t next_ = 0;         // their next sample
};

}  // namespace music
