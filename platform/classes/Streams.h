#pragma once
// Byte streams: TStream and its memory, file and string kinds.
#include <cstdint>
#include <vector>
#include "platform/classes/Classes.h"

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };
constexpr TSeekOrigin soBeginning = soFromBeginning;
constexpr TSeekOrigin soCurrent = soFromCurrent;
constexpr TSeekOrigin soEnd = soFromEnd;

class TStream : public TObject {
 public:
  const char* ClassName() const override { return "TStream"; }
  // Return the number of bytes actually moved (0 at the end).
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soFromBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize) = 0;

  // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position; Count 0 copies all of Source from its
  // start. Returns the bytes copied; raises EReadError when Source runs short.
  int64_t CopyFrom(TStream* Source, int64_t Count);
};

class TMemoryStream : public TStream {
 public:
  const char* ClassName() const override { return "TMemoryStream"; }
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t NewSize) override;

  // Valid until the size changes.
  void* Memory() { return data_.data(); }
  const void* Memory() const { return data_.data(); }
  void Clear();
  // Replaces the content with all of Stream (from its start); position 0 afterwards.
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);
  // Raises EFOpenError; saving goes through SafeFile.
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

 private:
  std::vector<uint8_t> data_;
  int64_t pos_ = 0;
};

// Open modes; one access mode, optionally or-ed with one share mode (accepted and
// ignored: Linux has no mandatory sharing).
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

// A stream over an open file. fmCreate creates or truncates. Failures raise EFOpenError
// "Cannot open file "<name>". <reason>" or EFCreateError "Cannot create file "<name>".
// <reason>"; read/write errors of the OS raise EReadError/EWriteError.
class TFileStream : public TStream {
 public:
  TFileStream(const AnsiString& FileName, uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  const char* ClassName() const override { return "TFileStream"; }

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  const AnsiString& FileName() const { return file_name_; }

 private:
  AnsiString file_name_;
  int fd_ = -1;
};

// A memory stream whose bytes are a string.
class TStringStream : public TStream {
 public:
  explicit TStringStream(const AnsiString& AString = AnsiString()) : data_(AString) {}
  const char* ClassName() const override { return "TStringStream"; }
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t NewSize) override;
  const AnsiString& DataString() const { return data_; }
  // Reads up to Count bytes from the position.
  AnsiString ReadString(int64_t Count);
  void WriteString(const AnsiString& S) { WriteBuffer(S.data(), static_cast<int64_t>(S.size())); }

 private:
  AnsiString data_;
  int64_t pos_ = 0;
};
