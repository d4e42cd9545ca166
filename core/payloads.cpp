// The payload table: the embedded records with their target names and policies.
#include "core/install.h"
#include "payloads/records.h"

namespace core {

const Payload* payloadTable() {
  static const Payload table[kPayloadCount] = {
      {"Velmaro考试系统.exe", payloads::recordContent(payloads::velmaroRecordExam),
       PayloadPolicy::always},
      {"mini.dll", payloads::recordContent(payloads::velmaroRecordDatabase),
       PayloadPolicy::alwaysThenHide},
      {"配置文件.ini", payloads::recordContent(payloads::velmaroRecordConfig),
       PayloadPolicy::onlyIfAbsent},
      {"uninst.exe", payloads::recordContent(payloads::velmaroRecordUninstaller),
       PayloadPolicy::always},
  };
  return table;
}

}  // namespace core
