// Record files under every unit of the system: formatted text files (the deck, the listing,
// punched cards), unformatted sequential files (each record framed by its int32
// little-endian byte count before and after: the data storage file, scratch files, the
// binary permanent file) and the stream file of the ISF, addressed by 1-based byte position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::io {

// An input/output failure or a damaged file. `status` is a small positive code (the
// platform's errno where there is one); the message says what failed and where.
class IoError : public std::runtime_error {
 public:
  IoError(const std::string& message, int status) : std::runtime_error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

enum class OpenMode {
  read,       // existing file, positioned at its start
  replace,    // created or emptied, written from its start
  append,     // created when missing, new records follow the existing content
  readwrite,  // created empty (temporary files)
};

// A formatted sequential file: one record per line, written with "\n"; on reading one
// trailing "\r" is dropped. Bytes pass through unchanged.
class TextFile {
 public:
  TextFile(const std::string& path, OpenMode mode);  // throws IoError
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  void write_line(std::string_view record);  // throws IoError
  // Next record; false at end of file.
  bool read_line(std::string& record);
  void rewind();
  void flush();
  // Bytes in the file, after the lines written so far have been flushed.
  std::int64_t size();
  const std::string& path() const { return path_; }

 private:
  void start_writing();
  void start_reading();
  std::string path_;
  std::FILE* f_ = nullptr;
  OpenMode mode_ = OpenMode::read;
  bool writing_ = false;
  std::vector<char> buffer_;  // the stream's buffer of a file opened for reading
  char* line_ = nullptr;  // getline's buffer, kept for the next line
  std::size_t line_capacity_ = 0;
};

// Builds one unformatted record from typed items (all little-endian, reals as IEEE single
// or double precision, texts as their bytes).
class RecordWriter {
 public:
  RecordWriter& i32(std::int32_t v);
  RecordWriter& f32(float v);
  RecordWriter& f64(double v);
  RecordWriter& text(std::string_view s, std::size_t width);  // blank-padded or cut to width
  RecordWriter& i32s(std::span<const std::int32_t> v);
  RecordWriter& f32s(std::span<const float> v);
  RecordWriter& bytes(std::span<const std::byte> b);
  const std::vector<std::byte>& data() const { return data_; }

 private:
  std::vector<std::byte> data_;
};

// Takes typed items from one record in order. Taking more than the record holds throws
// IoError before anything is stored; items left over are skipped.
class RecordReader {
 public:
  explicit RecordReader(std::vector<std::byte> data) : data_(std::move(data)) {}
  std::int32_t i32();
  float f32();
  double f64();
  std::string text(std::size_t width);
  void i32s(std::span<std::int32_t> out);
  void f32s(std::span<float> out);
  std::size_t size() const { return data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }
  const std::vector<std::byte>& data() const { return data_; }

 private:
  void need(std::size_t n) const;
  std::vector<std::byte> data_;
  std::size_t pos_ = 0;
};

// An unformatted sequential file.
class SequentialFile {
 public:
  SequentialFile(const std::string& path, OpenMode mode);  // throws IoError
  ~SequentialFile();
  SequentialFile(const SequentialFile&) = delete;
  SequentialFile& operator=(const SequentialFile&) = delete;

  // Writes one record at the current position; a write after a rewind (or after reads)
  // makes that record the last: the file is cut after it.
  void write(const RecordWriter& record);
  void write(std::span<const std::byte> record);
  // Reads the next record. Returns 0 and fills `out` (storage is reused from one call to the
  // next), or -1 at end of file. A damaged frame (count beyond the file, or trailing count not
  // matching) throws IoError and leaves `out` as it was.
  int read(std::vector<std::byte>& out);
  // Convenience: the next record as a reader; throws IoError at end of file.
  RecordReader read_record();
  void rewind();
  // Ends the file at the current position (everything after it is cut off).
  void end_file();
  // Steps back over the record just read or written.
  void backspace();
  void flush();
  const std::string& path() const { return path_; }

 private:
  enum class Last : unsigned char { none, read, write };  // direction of the last transfer
  void seek(long long offset);
  long long refresh_end();
  static constexpr std::size_t buffer_bytes = 256 * 1024;
  std::string path_;
  std::vector<char> buffer_;  // the stream's buffer; outlives f_ (closed in the destructor)
  std::vector<std::byte> spare_;  // the record being read, until its frame is known whole
  std::FILE* f_ = nullptr;
  long long pos_ = 0;  // byte offset of the next record
  long long end_ = 0;  // file size as last known (exact whenever writing)
  Last last_ = Last::none;
};

// The stream file of the ISF: bytes addressed by 1-based position. Writes overwrite in
// place and extend the file; it never shrinks. Positions stay below 2^31.
class StreamFile {
 public:
  StreamFile(const std::string& path, OpenMode mode);  // throws IoError
  ~StreamFile();
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;

  // Writes bytes starting at byte `pos` (1-based). Throws IoError when the write would reach
  // position 2^31 or fails.
  void write(std::int64_t pos, std::span<const std::byte> bytes);
  // Reads bytes starting at `pos`. Returns false (nothing stored) when the file holds fewer
  // than pos + size - 1 bytes.
  bool read(std::int64_t pos, std::span<std::byte> bytes);
  std::int64_t size();
  void flush();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::FILE* f_ = nullptr;
  // Byte offset (0-based) of the stream just behind the last write, -1 when the last
  // transfer was no write: a write that continues there needs no repositioning, which would
  // flush the buffer and cost a system call per record.
  std::int64_t write_end_ = -1;
};

bool file_exists(const std::string& path);
void remove_file(const std::string& path);

}  // namespace korvex::io
