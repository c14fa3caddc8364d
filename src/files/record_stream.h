// files/record_stream.h — buffered byte input and record output for worksheet files.
//
// `ByteSource` reads a file in blocks of 8192 bytes (or a byte buffer already in memory) and never
// hands out more than it holds; `RecordSink` collects records in a buffer and writes it out in
// large pieces, remembering the first write error. Both are plain objects; no module state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr size_t kReadBlockSize = 8192;

class ByteSource {
 public:
  // Reads from an open file; the caller keeps ownership of `file`.
  explicit ByteSource(std::FILE* file) : file_(file) {}
  // Reads from `size` bytes at `data`, which must stay alive while the source is used.
  ByteSource(const uint8_t* data, size_t size) : memory_(data), memorySize_(size) {}

  // Copies the next `n` bytes to `out`. Gives false (and copies what there was) when the input
  // ends first.
  bool Read(uint8_t* out, size_t n);
  // True when no byte is left.
  bool AtEnd();
  // Bytes consumed so far.
  size_t Offset() const { return consumed_; }

 private:
  bool Fill();

  std::FILE* file_ = nullptr;
  const uint8_t* memory_ = nullptr;
  size_t memorySize_ = 0;
  uint8_t block_[kReadBlockSize];
  size_t blockSize_ = 0;
  size_t blockPos_ = 0;
  size_t consumed_ = 0;
  bool fileEnded_ = false;
};

class RecordSink {
 public:
  // Writes to `file`, or keeps every byte in memory (Bytes()) when `file` is null.
  explicit RecordSink(std::FILE* file) : file_(file) { buffer_.reserve(kFlushSize + 70000); }

  // Appends one record: type word, length word, data. Nothing is written once a write failed.
  void Record(uint16_t type, const uint8_t* data, size_t length);
  void Record(uint16_t type, const std::vector<uint8_t>& data) {
    Record(type, data.data(), data.size());
  }
  // Appends bytes outside any record (the framing of the extension block).
  void Raw(const uint8_t* data, size_t length);
  // Writes what is buffered and flushes the stream. Gives false when any write failed.
  bool Finish();
  bool Failed() const { return failed_; }
  // What a memory sink holds.
  std::vector<uint8_t>& Bytes() { return buffer_; }

 private:
  static constexpr size_t kFlushSize = 1 << 16;
  void FlushIfFull();

  std::FILE* file_;
  std::vector<uint8_t> buffer_;
  bool failed_ = false;
};

// Builds the data of one record field by field, little-endian.
class RecordData {
 public:
  RecordData& Byte(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  RecordData& Word(uint16_t v) { return Byte(uint8_t(v)).Byte(uint8_t(v >> 8)); }
  RecordData& Long(uint32_t v) { return Word(uint16_t(v)).Word(uint16_t(v >> 16)); }
  RecordData& Double(double v);
  RecordData& Bytes(const uint8_t* p, size_t n) {
    bytes.insert(bytes.end(), p, p + n);
    return *this;
  }
  // The characters followed by a 0 byte.
  RecordData& Text(const std::string& text) {
    Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return Byte(0);
  }
  // Exactly `width` bytes: the text cut to width - 1 characters, then zero bytes.
  RecordData& PaddedText(const std::string& text, size_t width);

  std::vector<uint8_t> bytes;
};

// Read access to the data of one record. A read past its end gives 0 and marks the view short,
// which the reader treats as a damaged record.
class RecordView {
 public:
  RecordView(const uint8_t* data, size_t length) : data_(data), length_(length) {}
  size_t Length() const { return length_; }
  const uint8_t* Data() const { return data_; }
  uint8_t Byte(size_t at) const;
  uint16_t Word(size_t at) const;
  uint32_t Long(size_t at) const;
  double Double(size_t at) const;
  // Characters from `at` up to the first 0 byte, the end of the record, or `maxLength`.
  std::string Text(size_t at, size_t maxLength) const;
  bool Short() const { return short_; }

 private:
  bool Has(size_t at, size_t n) const;
  const uint8_t* data_;
  size_t length_;
  mutable bool short_ = false;
};
