// The embedded payload records, as the build lays them into the executable's
// read-only data (one per payload file, each 4-byte aligned):
//
//   offset  width  field
//   ------  -----  ------------------------------------------
//        0      4  dimension count, little-endian, always 1
//        4      4  byte length N, little-endian
//        8      N  the file's bytes, exactly as in payloads/
//
// The records come from the assembler's .incbin (payloads/records.S.in), so
// multi-megabyte files cost no compile time. Target file names are separate
// constant texts (core/payloads.cpp).
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/shellops.h"

namespace payloads {

struct RecordHeader {
  std::uint32_t dimensions;
  std::uint32_t length;
};
static_assert(sizeof(RecordHeader) == 8, "a record's content starts at offset 8");
static_assert(alignof(RecordHeader) == 4, "records are 4-byte aligned");

// The records themselves; the assembler defines these exact symbol names on
// every target (no leading underscore on i686, hence the asm labels).
extern "C" const unsigned char velmaroRecordExam[] __asm__("velmaro_record_exam");
extern "C" const unsigned char velmaroRecordDatabase[] __asm__("velmaro_record_database");
extern "C" const unsigned char velmaroRecordConfig[] __asm__("velmaro_record_config");
extern "C" const unsigned char velmaroRecordUninstaller[] __asm__("velmaro_record_uninstaller");

// The content of one record. The targets are all little-endian x86, so the
// header is read as it lies.
inline platform::ByteView recordContent(const unsigned char* record) {
  RecordHeader header;
  std::memcpy(&header, record, sizeof header);
  return platform::ByteView{record + sizeof header, header.length};
}

}  // namespace payloads
