// The tool's own texts (GBK once compiled), kept in one place.
#pragma once

#include "platform/text.h"

namespace texts {

// The window and its controls. Plain arrays, so that the constexpr control table can name them.
inline constexpr char kWindowCaption[] = "Tellwick1.4";
inline constexpr char kStartFailed[] = "载入启动窗口失败";
inline constexpr char kCaption超级按钮1[] = "点我恢复";
inline constexpr char kCaption选择框5[] = "待添加";
inline constexpr char kCaption选择框_ALL[] = "以上全选";
inline constexpr char kCaption选择框_log[] = "log文件清除";
inline constexpr char kCaption选择框_Cross[] = "Cross:提帧";
inline constexpr char kCaption选择框_DX11[] = "DX11测试模式 ->";
inline constexpr char kCaption按钮3[] = "时光机";
inline constexpr char kCaption标签3[] = "友情提示：请选择驱动器，再进行操作";
inline constexpr char kCaption标签1[] = "为了加快优化速度，请指定LOL安装盘符：\r\n";
inline constexpr char kCaption单选框2[] = "美服主页";
inline constexpr char kCaption单选框1[] = "空白主页";
inline constexpr char kCaption确定[] = "确定";
inline constexpr char kCaption分组框2[] = "LOL国服主页替换";
inline constexpr char kCaption分组框1[] = "优化相关";

// The drive box's suffixes by drive type.
inline constexpr char kFixedDriveSuffix[] = " （硬盘）";
inline constexpr char kRemoteDriveSuffix[] = " （网络驱动器）";
inline constexpr char kCdRomDriveSuffix[] = " （光驱）";
inline constexpr char kRamDiskDriveSuffix[] = " （内存虚拟驱动器）";

// Shown by 标签3 until a drive search has found the client; the guards compare against it.
inline const Text kDrivePrompt = kCaption标签3;

inline const Text kNoDriveMessage = "你还未选择LOL所在盘符，请返回操作";
inline const Text kNoDriveTitle = "友情提示：";
inline const Text kLauncherRunningMessage = "拜托先退出WeGame再操作";
inline const Text kLauncherRunningTitle = "严重警告";
inline const Text kNoBackupMessage = "未找到备份文件";
inline const Text kNoBackupTitle = "警告";

inline const Text kOptimizeDone = "此次优化已成功，感谢你的使用！";
inline const Text kCrossDone = "优化已成功，感谢你的使用！";
inline const Text kLogsDone = "Log日志文件已清除，感谢你的使用！";
inline const Text kHomePageReplaced = "主页已替换成功，感谢你的使用！";
inline const Text kHomePageRestored = "主页已恢复成功，感谢你的使用！";

// The home-page commands when a file operation fails; nothing has been changed then.
inline const Text kHomePageFailedTitle = "警告";
inline const Text kHomePageBackupFailed = "无法备份system.yaml，主页未替换";
inline const Text kHomePageWriteFailed = "无法写入system.yaml，主页未替换";
inline const Text kHomePageRestoreFailed = "无法将备份复制回system.yaml，主页未恢复";

// Windows moved system.yaml aside and could put neither it nor the new file back under its name;
// the next write of the file puts it back.
inline const Text kHomePageSetAsideReplace =
    "无法写入system.yaml：原文件暂存为同一文件夹中的system.yaml.tellwick-*-replaced，主页未替换";
inline const Text kHomePageSetAsideRestore =
    "无法将备份复制回system.yaml：原文件暂存为同一文件夹中的system.yaml.tellwick-*-replaced，主页未恢复";

inline const Text kHomePageReadOnlyReplace = "system.yaml是只读文件，主页未替换";
inline const Text kHomePageReadOnlyRestore = "system.yaml是只读文件，主页未恢复";

// The DX11 switch when game.cfg cannot be written (Game\Config missing, the file locked, read-only)
// or its backup cannot be made.
inline const Text kDx11FailedTitle = "警告";
inline const Text kDx11EnableFailed = "无法写入game.cfg，DX11测试模式未开启";
inline const Text kDx11DisableFailed = "无法写入game.cfg，DX11测试模式未恢复";
inline const Text kDx11BackupFailed = "无法备份game.cfg，DX11测试模式未开启";
inline const Text kDx11SetAsideEnable =
    "无法写入game.cfg：原文件暂存为同一文件夹中的game.cfg.tellwick-*-replaced，DX11测试模式未开启";
inline const Text kDx11SetAsideDisable =
    "无法写入game.cfg：原文件暂存为同一文件夹中的game.cfg.tellwick-*-replaced，DX11测试模式未恢复";
inline const Text kDx11ReadOnlyEnable = "game.cfg是只读文件，DX11测试模式未开启";
inline const Text kDx11ReadOnlyDisable = "game.cfg是只读文件，DX11测试模式未恢复";

// Every command when InstallRoot names no folder (moved, deleted, or a drive since unmapped).
inline const Text kRootMissingTitle = "警告";
inline const Text kRootMissingMessage = "找不到LOL安装目录，未做任何修改";

// The Cross and log steps when their work was not done; the success texts are not shown then.
inline const Text kStepFailedTitle = "警告";
inline const Text kCrossIsLink = "Cross是链接，未移动，提帧未完成";
inline const Text kCrossMoveFailed = "无法移动Cross文件夹，提帧未完成";
inline const Text kCrossCreateFailed = "无法新建Cross文件夹，提帧未完成";
inline const Text kLogsListFailed = "无法读取安装目录，Log日志文件未清除";

}  // namespace texts
