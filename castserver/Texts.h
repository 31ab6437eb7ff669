#pragma once
// The user-interface texts, in one place.

namespace texts {

inline constexpr char kTitle[] = "Qelvar Pelmora移屏服务器";
inline constexpr char kAboutCommand[] = "关于 Qelvar Pelmora移屏服务器(&A)...";
inline constexpr char kTrayMenu[] = "托盘菜单";
inline constexpr char kSettings[] = "设置";
inline constexpr char kExit[] = "退出";
inline constexpr char kAbout[] = "关于";
inline constexpr char kBrowseFolder[] = "浏览文件夹";
inline constexpr char kSplashtopInstalled[] = "提供PC到TV的移屏服务";
inline constexpr char kSplashtopMissing[] = "未安装splashtop服务，请先安装！";
inline constexpr char kSplashtopEntry[] = "Splashtop Sserver direct @ ";
inline constexpr char kSplashtopService[] = "Splashtop service";
inline constexpr char kSettingsNote[] = "说明：程序会自动扫描目录内的插件，每行一条目录";
inline constexpr char kAutorun[] = "开机自动运行";
inline constexpr char kCloseToTray[] = "关闭时最小化到托盘";

}  // namespace texts
