// The tool's own texts (GBK once compiled), kept in one place.
#pragma once

#include "platform/text.h"

namespace texts {

// Shown by 标签3 until a drive search has found the client; the guards compare against it.
inline const Text kDrivePrompt = "友情提示：请选择驱动器，再进行操作";

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

// The DX11 switch when game.cfg cannot be written (Game\Config missing, the file locked).
inline const Text kDx11FailedTitle = "警告";
inline const Text kDx11EnableFailed = "无法写入game.cfg，DX11测试模式未开启";
inline const Text kDx11DisableFailed = "无法写入game.cfg，DX11测试模式未恢复";

}  // namespace texts
