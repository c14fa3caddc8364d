// files/record_stream.cpp — buffered byte input and record output for worksheet files.
//
// No module state: every reader and writer owns its buffers.
#include "files/record_stream.h"

#include <algorithm>
#include <cstring>

bool ByteSource::Fill() {
  if (memory_ != nullptr || fileEnded_ || file_ == nullptr) return false;
  blockSize_ = std::fread(block_, 1, kReadBlockSize, file_);
  blockPos_ = 0;
  if (blockSize_ == 0) fileEnded_ = true;
  return blockSize_ > 0;
}

bool ByteSource::Read(uint8_t* out, size_t n) {
  if (memory_ != nullptr) {
    const size_t left = memorySize_ - consumed_;
    const size_t take = std::min(n, left);
    if (take > 0) std::memcpy(out, memory_ + consumed_, take);
    consumed_ += take;
    return take == n;
  }
  while (n > 0) {
    if (blockPos_ == blockSize_ && !Fill()) return false;
    const size_t take = std::min(n, blockSize_ - blockPos_);
    std::memcpy(out, block_ + blockPos_, take);
    blockPos_ += take;
    consumed_ += take;
    out += take;
    n -= take;
  }
  return true;
}

bool ByteSource::AtEnd() {
  if (memory_ != nullptr) return consumed_ >= memorySize_;
  return blockPos_ == blockSize_ && !Fill();
}

void RecordSink::FlushIfFull() {
  if (file_ == nullptr || buffer_.size() < kFlushSize || failed_) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) failed_ = true;
  buffer_.clear();
}

void RecordSink::Record(uint16_t type, const uint8_t* data, size_t length) {
  if (failed_) return;
  length = std::min<size_t>(length, 0xFFFF);
  const uint8_t header[4] = {uint8_t(type), uint8_t(type >> 8), uint8_t(length),
                             uint8_t(length >> 8)};
  buffer_.insert(buffer_.end(), header, header + 4);
  if (length > 0) buffer_.insert(buffer_.end(), data, data + length);
  FlushIfFull();
}

void RecordSink::Raw(const uint8_t* data, size_t length) {
  if (failed_) return;
  buffer_.insert(buffer_.end(), data, data + length);
  FlushIfFull();
}

bool RecordSink::Finish() {
  if (file_ == nullptr) return !failed_;
  if (!failed_ && !buffer_.empty() &&
      std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
  if (!failed_ && std::fflush(file_) != 0) failed_ = true;
  return !failed_;
}

RecordData& RecordData::Double(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  Long(uint32_t(bits));
  return Long(uint32_t(bits >> 32));
}

RecordData& RecordData::PaddedText(const std::string& text, size_t width) {
  const size_t n = std::min(text.size(), width - 1);
  Bytes(reinterpret_cast<const uint8_t*>(text.data()), n);
  for (size_t i = n; i < width; ++i) Byte(0);
  return *this;
}

bool RecordView::Has(size_t at, size_t n) const {
  if (at > length_ || n > length_ - at) {
    short_ = true;
    return false;
  }
  return true;
}

uint8_t RecordView::Byte(size_t at) const { return Has(at, 1) ? data_[at] : 0; }

uint16_t RecordView::Word(size_t at) const {
  return Has(at, 2) ? uint16_t(data_[at] | (data_[at + 1] << 8)) : 0;
}

uint32_t RecordView::Long(size_t at) const {
  if (!Has(at, 4)) return 0;
  return uint32_t(data_[at]) | uint32_t(data_[at + 1]) << 8 | uint32_t(data_[at + 2]) << 16 |
         uint32_t(data_[at + 3]) << 24;
}

double RecordView::Double(size_t at) const {
  if (!Has(at, 8)) return 0;
  const uint64_t bits = uint64_t(Long(at)) | uint64_t(Long(at + 4)) << 32;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

std::string RecordView::Text(size_t at, size_t maxLength) const {
  std::string out;
  for (size_t i = at; i < length_ && out.size() < maxLength && data_[i] != 0; ++i) {
    out += char(data_[i]);
  }
  return out;
}
