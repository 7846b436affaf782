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

// The window's system menu: the way back from every change, and the record of them.
inline constexpr char kMenuUndoAll[] = "撤销全部优化";
inline constexpr char kMenuShowRecord[] = "查看更改记录";

// The undo's question, and its reports. Each part's outcome is one sentence; the message box lists
// them, one a line.
inline const Text kUndoQuestionTitle = "撤销全部优化";
inline const Text kUndoQuestion =
    "将把工具做过的改动恢复原样：\r\n"
    "· game.cfg 中的 DX11BetaTest 恢复为 game.cfg.bak 里的值\r\n"
    "· Game\\Config 文件夹的访问列表恢复为改写前的样子\r\n"
    "· Crossend、Crossbak 改回 Cross\r\n"
    "· system.yaml 从 system.yaml.bak 恢复\r\n"
    "已删除的 *.log 文件无法恢复。客户端此后自己改过的文件保持不动。\r\n\r\n"
    "确定要撤销吗？";
inline const Text kUndoDone = "已撤销全部优化，感谢你的使用！";
inline const Text kUndoFailedTitle = "警告";
inline const Text kUndoFailedIntro = "撤销未全部完成：";
// Each part by name, for the lines of the parts that did come back.
inline const Text kUndoPartRestored = "%s：已恢复。";
inline const Text kUndoPartUntouched = "%s：没有需要恢复的改动。";
inline const Text kUndoPartDx11 = "DX11测试模式";
inline const Text kUndoPartGrant = "Game\\Config 的访问列表";
inline const Text kUndoPartCross = "Cross";
inline const Text kUndoPartHomePage = "主页";
inline const Text kUndoLogsNote = "Log日志：已删除的 *.log 文件无法恢复。";

inline const Text kUndoDx11Unknown =
    "DX11测试模式：没有可读取的 game.cfg.bak，不知道原来的值，DX11BetaTest 已设为 0。";
inline const Text kUndoDx11ReadFailed = "DX11测试模式：无法读取 game.cfg，未恢复。";
inline const Text kUndoDx11ReadOnly = "DX11测试模式：game.cfg 是只读文件，未恢复。";
inline const Text kUndoDx11WriteFailed = "DX11测试模式：无法写入 game.cfg，未恢复。";
inline const Text kUndoDx11SetAside =
    "DX11测试模式：无法写入 game.cfg，原文件暂存为同一文件夹中的 game.cfg.tellwick-*-replaced，未恢复。";

inline const Text kUndoGrantNoRecord =
    "Game\\Config 的访问列表：更改记录里没有改写前的列表（记录无法读取、未能写入，或由旧版本改动），"
    "如果工具改写过它，无法恢复。";
inline const Text kUndoGrantChanged = "Game\\Config 的访问列表：此后又被改动过，保持现在的样子，未恢复。";
inline const Text kUndoGrantLeftOut =
    "Game\\Config 的访问列表：恢复会让其中的文件失去某些权限，保持现在的样子，未恢复。";
inline const Text kUndoGrantFailed = "Game\\Config 的访问列表：无法读取或写入，未恢复。";

inline const Text kUndoCrossEndBlocked =
    "Cross：Crossend 未改回 Cross，因为已经有 Cross 文件夹（可能是客户端更新时新建的）；"
    "Crossend、Crossbak 和 Cross 都留在原处。";
inline const Text kUndoCrossNotEmpty =
    "Cross：Cross 文件夹里有文件（客户端此后写入的），不会删除或覆盖；Crossbak 留在原处，未改回 Cross。";
inline const Text kUndoCrossIsFile =
    "Cross：安装目录里的 Cross 不是普通文件夹（是文件或链接）；Crossbak 留在原处，未改回 Cross。";
inline const Text kUndoCrossRemoveFailed =
    "Cross：无法删除空的 Cross 文件夹；Crossbak 留在原处，未改回 Cross。";
inline const Text kUndoCrossEndMoveFailed =
    "Cross：无法把 Crossend 改回 Cross；Crossend 和 Crossbak 留在原处。";
inline const Text kUndoCrossBakMoveFailed = "Cross：无法把 Crossbak 改回 Cross；Crossbak 留在原处。";

inline const Text kUndoHomePageChanged =
    "主页：system.yaml 此后被客户端改写过（例如更新），保留现在的文件，未从 system.yaml.bak 恢复。";
inline const Text kUndoHomePageMissing = "主页：system.yaml 已不存在，未从 system.yaml.bak 恢复。";
inline const Text kUndoHomePageNoBackup =
    "主页：system.yaml 是工具写入的主页，但没有可用的 system.yaml.bak，未恢复。";
inline const Text kUndoHomePageReadFailed = "主页：无法读取 system.yaml 或 system.yaml.bak，未恢复。";
inline const Text kUndoHomePageReadOnly = "主页：system.yaml 是只读文件，未恢复。";
inline const Text kUndoHomePageCopyFailed = "主页：无法将 system.yaml.bak 复制回 system.yaml，未恢复。";
inline const Text kUndoHomePageSetAside =
    "主页：无法写入 system.yaml，原文件暂存为同一文件夹中的 system.yaml.tellwick-*-replaced，未恢复。";

// "查看更改记录".
inline const Text kNoRecordTitle = "友情提示：";
inline const Text kNoRecordMessage = "还没有更改记录：工具还没有改动过任何文件";
inline const Text kRecordOpenFailedTitle = "警告";
inline const Text kRecordOpenFailed = "无法打开更改记录 %LOCALAPPDATA%\\Tellwick\\changes.txt";

// The record's words, one change a line; %s stands for a figure. The undo's lines begin with
// kRecordUndoPrefix.
inline const Text kRecordUndoPrefix = "撤销：";
inline const Text kRecordAbsent = "无";
inline const Text kRecordDx11Key = "DX11BetaTest：%s → %s";
inline const Text kRecordDx11BackedUp = "game.cfg 已备份为 game.cfg.bak";
inline const Text kRecordCrossMoved = "Cross 已移到 %s";
inline const Text kRecordCrossCreated = "已新建空的 Cross 文件夹";
inline const Text kRecordLogsDeleted = "已删除 %s 个 *.log 文件，共 %s";
inline const Text kRecordHomePageBackedUp = "system.yaml 已备份为 system.yaml.bak";
inline const Text kRecordHomePageBlank = "system.yaml 已换成空白主页";
inline const Text kRecordHomePageUs = "system.yaml 已换成美服主页";
inline const Text kRecordHomePageRestored = "system.yaml 已从 system.yaml.bak 恢复";
inline const Text kRecordGrantWritten = "Game\\Config 的访问列表已改写；改写前 %s；改写后 %s";
inline const Text kRecordGrantRestored = "Game\\Config 的访问列表已恢复为改写前的样子";
inline const Text kRecordCrossMovedBack = "%s 已改回 Cross";
inline const Text kRecordCrossRemoved = "已删除空的 Cross 文件夹";

}  // namespace texts
