// The fixed names an installation gives its files, shortcuts and group.
#pragma once

namespace uninst {

inline constexpr char kExamFile[] = "Velmaro考试系统.exe";
inline constexpr char kDatabaseFile[] = "mini.dll";
inline constexpr char kConfigFile[] = "配置文件.ini";
inline constexpr char kUninstallerFile[] = "uninst.exe";
inline constexpr char kExamShortcut[] = "Velmaro考试系统.lnk";
inline constexpr char kUninstallShortcut[] = "卸载.lnk";
inline constexpr char kGroupFolder[] = "Velmaro考试系统";

}  // namespace uninst
