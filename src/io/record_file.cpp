// Record files: formatted text files, unformatted sequential files framed by int32
// little-endian byte counts, and the byte-addressed stream file. Transfers go through
// <cstdio> streams; sizes and truncation use the POSIX descriptor underneath. Nothing
// depends on the host byte order or on the locale.
#include "io/record_file.hpp"

#include "io/fault_injection.hpp"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace korvex::io {

namespace {

constexpr long long kFrameBytes = 8;  // leading and trailing count of a sequential record
constexpr std::int64_t kStreamLimit = std::numeric_limits<std::int32_t>::max();

// Throws IoError for a failed system call; `err` is the errno captured right after it.
[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
  std::string message = what + " " + path;
  if (err != 0) message += ": " + std::string(std::strerror(err));
  throw IoError(message, err != 0 ? err : 1);
}

// A failure that a test injected for this call, reported as the system would report EIO.
void check_injected(FileOp op, const char* what, const std::string& path) {
  if (injected_failure(op, path)) fail(what, path, EIO);
}

// offset is 0-based; the message counts byte positions from 1, as the dumps do.
[[noreturn]] void damaged(long long offset, const std::string& path, const std::string& why) {
  throw IoError("damaged record at byte " + std::to_string(offset + 1) + " of " + path + ": " + why,
                1);
}

void put_u32(std::vector<std::byte>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::byte>((v >> (8 * i)) & 0xFFu));
}

void put_u64(std::vector<std::byte>& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::byte>((v >> (8 * i)) & 0xFFu));
}

std::uint32_t get_u32(const std::byte* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | std::to_integer<std::uint32_t>(p[i]);
  return v;
}

std::uint64_t get_u64(const std::byte* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | std::to_integer<std::uint64_t>(p[i]);
  return v;
}

void encode_count(unsigned char (&out)[4], std::int32_t n) {
  const auto v = static_cast<std::uint32_t>(n);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFFu);
}

std::int32_t decode_count(const unsigned char (&in)[4]) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | in[i];
  return static_cast<std::int32_t>(v);
}

long long size_of(std::FILE* f, const std::string& path) {
  struct stat st {};
  if (::fstat(::fileno(f), &st) != 0) fail("cannot get the size of", path, errno);
  return static_cast<long long>(st.st_size);
}

struct Opened {
  std::FILE* f;
  long long size;
};

// Opens `path` for `mode`. `append_stream` selects "a+" for append (every write goes to the
// end); otherwise append opens the file for update, creating it when missing. Directories
// are refused here because "rb" would accept them and fail only on the first read.
Opened open_file(const std::string& path, OpenMode mode, bool append_stream) {
  check_injected(FileOp::open, "cannot open", path);
  std::FILE* f = nullptr;
  switch (mode) {
    case OpenMode::read:
      f = std::fopen(path.c_str(), "rb");
      break;
    case OpenMode::replace:
    case OpenMode::readwrite:
      f = std::fopen(path.c_str(), "w+b");
      break;
    case OpenMode::append:
      if (append_stream) {
        f = std::fopen(path.c_str(), "a+b");
      } else {
        f = std::fopen(path.c_str(), "r+b");
        if (f == nullptr && errno == ENOENT) f = std::fopen(path.c_str(), "w+b");
      }
      break;
  }
  if (f == nullptr) fail("cannot open", path, errno);
  struct stat st {};
  int err = 0;
  if (::fstat(::fileno(f), &st) != 0) {
    err = errno;
  } else if (S_ISDIR(st.st_mode)) {
    err = EISDIR;
  }
  if (err != 0) {
    std::fclose(f);
    fail("cannot open", path, err);
  }
  return {f, static_cast<long long>(st.st_size)};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TextFile

TextFile::TextFile(const std::string& path, OpenMode mode) : path_(path), mode_(mode) {
  f_ = open_file(path, mode, true).f;
  // A file only read (the raw data above all) is taken in large pieces: one system read
  // per 256 KiB instead of per block. Files that are written keep the stream's own buffer.
  if (mode == OpenMode::read) {
    buffer_.resize(256 * 1024);
    std::setvbuf(f_, buffer_.data(), _IOFBF, buffer_.size());
  }
}

TextFile::~TextFile() {
  if (f_ != nullptr) std::fclose(f_);
  std::free(line_);
}

// Turning from reading to writing needs a seek in between. In replace and readwrite mode a
// line written before the end of the file (after a rewind or reads) becomes the last one:
// whatever follows is cut off first. In append mode every write goes to the end anyway.
void TextFile::start_writing() {
  if (::fseeko(f_, 0, SEEK_CUR) != 0) fail("cannot position", path_, errno);
  if (mode_ == OpenMode::replace || mode_ == OpenMode::readwrite) {
    const off_t here = ::ftello(f_);
    if (here < 0) fail("cannot position", path_, errno);
    if (here < size_of(f_, path_) && ::ftruncate(::fileno(f_), here) != 0) {
      fail("cannot cut", path_, errno);
    }
  }
  writing_ = true;
}

void TextFile::start_reading() {
  if (::fseeko(f_, 0, SEEK_CUR) != 0) fail("cannot position", path_, errno);
  writing_ = false;
}

void TextFile::write_line(std::string_view record) {
  check_injected(FileOp::write, "cannot write to", path_);
  if (!writing_) start_writing();
  if (!record.empty() && std::fwrite(record.data(), 1, record.size(), f_) != record.size()) {
    fail("cannot write to", path_, errno);
  }
  if (std::fputc('\n', f_) == EOF) fail("cannot write to", path_, errno);
}

bool TextFile::read_line(std::string& record) {
  check_injected(FileOp::read, "cannot read", path_);
  if (writing_) start_reading();
  // getline takes the line from the stream's buffer in one piece instead of one call per
  // byte: the raw data of a large run are read several times faster.
  const ssize_t n = ::getline(&line_, &line_capacity_, f_);
  if (n < 0) {
    if (std::ferror(f_)) fail("cannot read", path_, errno);
    record.clear();
    return false;
  }
  std::size_t length = static_cast<std::size_t>(n);
  if (length > 0 && line_[length - 1] == '\n') --length;
  if (length > 0 && line_[length - 1] == '\r') --length;
  record.assign(line_, length);
  return true;
}

void TextFile::rewind() {
  if (writing_ && std::fflush(f_) != 0) fail("cannot write to", path_, errno);
  if (::fseeko(f_, 0, SEEK_SET) != 0) fail("cannot rewind", path_, errno);
  std::clearerr(f_);
  writing_ = false;
}

void TextFile::flush() {
  check_injected(FileOp::flush, "cannot write to", path_);
  if (std::fflush(f_) != 0) fail("cannot write to", path_, errno);
}

std::int64_t TextFile::size() {
  flush();
  return size_of(f_, path_);
}

// ---------------------------------------------------------------------------------------
// RecordWriter / RecordReader

RecordWriter& RecordWriter::i32(std::int32_t v) {
  put_u32(data_, static_cast<std::uint32_t>(v));
  return *this;
}

RecordWriter& RecordWriter::f32(float v) {
  put_u32(data_, std::bit_cast<std::uint32_t>(v));
  return *this;
}

RecordWriter& RecordWriter::f64(double v) {
  put_u64(data_, std::bit_cast<std::uint64_t>(v));
  return *this;
}

RecordWriter& RecordWriter::text(std::string_view s, std::size_t width) {
  const std::size_t used = s.size() < width ? s.size() : width;
  for (std::size_t i = 0; i < used; ++i) data_.push_back(static_cast<std::byte>(s[i]));
  data_.insert(data_.end(), width - used, static_cast<std::byte>(' '));
  return *this;
}

RecordWriter& RecordWriter::i32s(std::span<const std::int32_t> v) {
  data_.reserve(data_.size() + 4 * v.size());
  for (std::int32_t x : v) i32(x);
  return *this;
}

RecordWriter& RecordWriter::f32s(std::span<const float> v) {
  data_.reserve(data_.size() + 4 * v.size());
  for (float x : v) f32(x);
  return *this;
}

RecordWriter& RecordWriter::bytes(std::span<const std::byte> b) {
  data_.insert(data_.end(), b.begin(), b.end());
  return *this;
}

void RecordReader::need(std::size_t n) const {
  if (n > remaining()) {
    throw IoError("record too short: " + std::to_string(n) + " bytes wanted at byte " +
                      std::to_string(pos_) + " of a " + std::to_string(data_.size()) +
                      "-byte record",
                  1);
  }
}

std::int32_t RecordReader::i32() {
  need(4);
  const auto v = static_cast<std::int32_t>(get_u32(data_.data() + pos_));
  pos_ += 4;
  return v;
}

float RecordReader::f32() {
  need(4);
  const auto v = std::bit_cast<float>(get_u32(data_.data() + pos_));
  pos_ += 4;
  return v;
}

double RecordReader::f64() {
  need(8);
  const auto v = std::bit_cast<double>(get_u64(data_.data() + pos_));
  pos_ += 8;
  return v;
}

std::string RecordReader::text(std::size_t width) {
  need(width);
  std::string s(width, ' ');
  if (width > 0) std::memcpy(s.data(), data_.data() + pos_, width);
  pos_ += width;
  return s;
}

void RecordReader::i32s(std::span<std::int32_t> out) {
  need(4 * out.size());
  for (auto& x : out) x = i32();
}

void RecordReader::f32s(std::span<float> out) {
  need(4 * out.size());
  for (auto& x : out) x = f32();
}

// ---------------------------------------------------------------------------------------
// SequentialFile
//
// The stream position of f_ equals pos_ whenever last_ is read or write; any other state
// (after a rewind, backspace, end_file or an error) makes the next transfer seek first,
// which also provides the seek the C library requires between writing and reading.

SequentialFile::SequentialFile(const std::string& path, OpenMode mode) : path_(path) {
  const Opened o = open_file(path, mode, false);
  f_ = o.f;
  // A large buffer: a pass over the data storage file takes many subject records with each
  // system read. No transfer has happened yet, so the stream still accepts a buffer.
  buffer_.resize(buffer_bytes);
  std::setvbuf(f_, buffer_.data(), _IOFBF, buffer_.size());
  end_ = o.size;
  pos_ = mode == OpenMode::append ? end_ : 0;
}

SequentialFile::~SequentialFile() {
  if (f_ != nullptr) std::fclose(f_);
}

void SequentialFile::seek(long long offset) {
  last_ = Last::none;
  if (::fseeko(f_, static_cast<off_t>(offset), SEEK_SET) != 0) fail("cannot position", path_, errno);
}

// Re-reads the file size (another handle may have written to the file meanwhile). Only
// called when no written bytes wait in our buffer.
long long SequentialFile::refresh_end() {
  end_ = size_of(f_, path_);
  return end_;
}

void SequentialFile::write(const RecordWriter& record) { write(std::span(record.data())); }

void SequentialFile::write(std::span<const std::byte> record) {
  if (record.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw IoError("record of " + std::to_string(record.size()) + " bytes is too long for " + path_, 1);
  }
  check_injected(FileOp::write, "cannot write a record to", path_);
  if (last_ != Last::write) {
    seek(pos_);
    last_ = Last::write;
  }
  unsigned char count[4];
  encode_count(count, static_cast<std::int32_t>(record.size()));
  const bool ok = std::fwrite(count, 1, 4, f_) == 4 &&
                  (record.empty() || std::fwrite(record.data(), 1, record.size(), f_) == record.size()) &&
                  std::fwrite(count, 1, 4, f_) == 4;
  if (!ok) {
    const int err = errno;
    last_ = Last::none;
    fail("cannot write a record to", path_, err);
  }
  pos_ += kFrameBytes + static_cast<long long>(record.size());
  if (pos_ < end_) {
    // Written before the end: this record becomes the last one.
    if (std::fflush(f_) != 0) {
      const int err = errno;
      last_ = Last::none;
      fail("cannot write a record to", path_, err);
    }
    if (::ftruncate(::fileno(f_), static_cast<off_t>(pos_)) != 0) fail("cannot cut", path_, errno);
  }
  end_ = pos_;
}

// Validates the whole frame against the bytes actually present before allocating the
// record, so a damaged count can never cause a huge allocation or a read past the end.
int SequentialFile::read(std::vector<std::byte>& out) {
  check_injected(FileOp::read, "cannot read", path_);
  if (last_ != Last::read) {
    seek(pos_);
    last_ = Last::read;
  }
  long long left = end_ - pos_;
  if (left < kFrameBytes) left = refresh_end() - pos_;
  if (left <= 0) return -1;
  const long long start = pos_;
  auto damage = [&](const std::string& why) {
    last_ = Last::none;
    damaged(start, path_, why);
  };
  auto read_exact = [&](void* p, std::size_t n) {
    if (std::fread(p, 1, n, f_) == n) return;
    const int err = errno;
    if (std::ferror(f_)) {
      last_ = Last::none;
      fail("cannot read", path_, err);
    }
    damage("the file ends inside the record");
  };
  if (left < kFrameBytes) {
    damage(std::to_string(left) + " stray bytes at the end of the file");
  }
  unsigned char lead[4];
  read_exact(lead, 4);
  const std::int32_t n = decode_count(lead);
  if (n < 0) damage("negative byte count " + std::to_string(n));
  if (n > left - kFrameBytes) left = refresh_end() - pos_;
  if (n > left - kFrameBytes) {
    damage("byte count " + std::to_string(n) + " runs past the end of the file (" +
           std::to_string(left) + " bytes left)");
  }
  // The record goes into the file's spare buffer, which changes places with the caller's
  // once the frame is whole: a damaged record leaves the caller's buffer as it was, and a
  // reader of many records allocates only while records grow.
  // The body and the trailing count in one transfer.
  spare_.resize(static_cast<std::size_t>(n) + 4);
  read_exact(spare_.data(), spare_.size());
  unsigned char trail[4];
  std::memcpy(trail, spare_.data() + n, 4);
  spare_.resize(static_cast<std::size_t>(n));
  const std::int32_t t = decode_count(trail);
  if (t != n) {
    damage("trailing byte count " + std::to_string(t) + " does not match leading count " +
           std::to_string(n));
  }
  pos_ += kFrameBytes + n;
  out.swap(spare_);
  return 0;
}

RecordReader SequentialFile::read_record() {
  std::vector<std::byte> data;
  if (read(data) < 0) throw IoError("end of file reading " + path_, 1);
  return RecordReader(std::move(data));
}

void SequentialFile::rewind() {
  if (std::fflush(f_) != 0) fail("cannot write to", path_, errno);
  last_ = Last::none;
  pos_ = 0;
}

void SequentialFile::end_file() {
  last_ = Last::none;
  if (std::fflush(f_) != 0) fail("cannot write to", path_, errno);
  if (::ftruncate(::fileno(f_), static_cast<off_t>(pos_)) != 0) fail("cannot cut", path_, errno);
  end_ = pos_;
}

// Finds the start of the previous record from its trailing count and checks the leading
// count there. At the start of the file this does nothing.
void SequentialFile::backspace() {
  if (pos_ == 0) return;
  const long long trail_at = pos_ - 4;
  if (pos_ < kFrameBytes) damaged(trail_at, path_, "no complete record before it");
  unsigned char buf[4];
  auto read4 = [&](long long at) {
    seek(at);
    if (std::fread(buf, 1, 4, f_) != 4) {
      const int err = errno;
      if (std::ferror(f_)) fail("cannot read", path_, err);
      damaged(at, path_, "the file ends inside the record");
    }
    return decode_count(buf);
  };
  const std::int32_t t = read4(trail_at);
  if (t < 0 || t > pos_ - kFrameBytes) {
    damaged(trail_at, path_, "trailing byte count " + std::to_string(t) + " reaches before the file");
  }
  const long long start = pos_ - kFrameBytes - t;
  const std::int32_t n = read4(start);
  if (n != t) {
    damaged(start, path_, "leading byte count " + std::to_string(n) + " does not match trailing count " +
                              std::to_string(t));
  }
  last_ = Last::none;
  pos_ = start;
}

void SequentialFile::flush() {
  check_injected(FileOp::flush, "cannot write to", path_);
  if (std::fflush(f_) != 0) fail("cannot write to", path_, errno);
}

// ---------------------------------------------------------------------------------------
// StreamFile

StreamFile::StreamFile(const std::string& path, OpenMode mode) : path_(path) {
  f_ = open_file(path, mode, false).f;
}

StreamFile::~StreamFile() {
  if (f_ != nullptr) std::fclose(f_);
}

// A position past the end leaves a gap, which the file system fills with zero bytes.
void StreamFile::write(std::int64_t pos, std::span<const std::byte> bytes) {
  if (pos < 1) {
    throw IoError("position " + std::to_string(pos) + " is before the start of " + path_, 1);
  }
  if (pos > kStreamLimit || bytes.size() > static_cast<std::uint64_t>(kStreamLimit) ||
      pos - 1 + static_cast<std::int64_t>(bytes.size()) > kStreamLimit) {
    throw IoError("writing " + std::to_string(bytes.size()) + " bytes at position " + std::to_string(pos) +
                      " of " + path_ + " would pass position 2147483647",
                  1);
  }
  if (bytes.empty()) return;
  check_injected(FileOp::write, "cannot write to", path_);
  if (write_end_ != pos - 1) {
    write_end_ = -1;
    if (::fseeko(f_, static_cast<off_t>(pos - 1), SEEK_SET) != 0) fail("cannot position", path_, errno);
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size()) {
    write_end_ = -1;
    fail("cannot write to", path_, errno);
  }
  write_end_ = pos - 1 + static_cast<std::int64_t>(bytes.size());
}

bool StreamFile::read(std::int64_t pos, std::span<std::byte> bytes) {
  if (pos < 1) {
    throw IoError("position " + std::to_string(pos) + " is before the start of " + path_, 1);
  }
  check_injected(FileOp::read, "cannot read", path_);
  const std::int64_t have = size();
  if (pos - 1 > have || static_cast<std::uint64_t>(have - (pos - 1)) < bytes.size()) return false;
  if (bytes.empty()) return true;
  write_end_ = -1;
  if (::fseeko(f_, static_cast<off_t>(pos - 1), SEEK_SET) != 0) fail("cannot position", path_, errno);
  if (std::fread(bytes.data(), 1, bytes.size(), f_) != bytes.size()) {
    const int err = std::ferror(f_) ? errno : 0;
    fail("cannot read", path_, err);
  }
  return true;
}

std::int64_t StreamFile::size() {
  if (std::fflush(f_) != 0) fail("cannot write to", path_, errno);
  return size_of(f_, path_);
}

void StreamFile::flush() {
  check_injected(FileOp::flush, "cannot write to", path_);
  if (std::fflush(f_) != 0) fail("cannot write to", path_, errno);
}

// ---------------------------------------------------------------------------------------

bool file_exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

void remove_file(const std::string& path) {
  if (std::remove(path.c_str()) == 0) return;
  const int err = errno;
  if (err == ENOENT) return;
  fail("cannot remove", path, err);
}

}  // namespace korvex::io
