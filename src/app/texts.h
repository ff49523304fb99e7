// The program's constant texts. The source is UTF-8; the build turns every narrow literal
// into code page 936 bytes, which is what the ANSI entry points and the exported files expect.
#pragma once

namespace app::texts {

inline constexpr char windowCaption[] = "TessaloV1.0  联系：tessalo@example.org";

inline constexpr char button1Caption[] = "选择目录";
inline constexpr char button2Caption[] = "导出目录列表";
inline constexpr char button3Caption[] = "导出文件列表";
inline constexpr char button4Caption[] = "查看目录列表";
inline constexpr char button6Caption[] = "查看文件列表";
inline constexpr char label1Caption[] = "文件夹名称列表";
inline constexpr char label2Caption[] = "文件名名称列表";

inline constexpr char chooserTitle[] = "选择";
inline constexpr char allEntriesSuffix[] = "\\*";
inline constexpr char pathSeparator[] = "\\";
inline constexpr char lineEnd[] = "\r\n";

// Both begin with the separator: they are appended to the current directory as they are.
inline constexpr char folderListFileName[] = "\\目录列表.txt";
inline constexpr char fileListFileName[] = "\\文件名列表.txt";

inline constexpr char viewerOwnerTitle[] = "Microsoft Internet Explorer";
inline constexpr char openVerb[] = "open";

inline constexpr char errorBoxCaption[] = "错误";
inline constexpr char errorBoxHeading[] = "运行时出错!\r\n\r\n";
inline constexpr char errorCodePrefix[] = "错误代码：";
inline constexpr char errorMessagePrefix[] = "错误信息：";
inline constexpr char windowDataError[] = "载入窗口模板数据段出错!";
inline constexpr char startupWindowError[] = "载入启动窗口失败";
inline constexpr char allocationErrorFormat[] = "分配 %d 字节内存失败!";

inline constexpr char empty[] = "";

}  // namespace app::texts
