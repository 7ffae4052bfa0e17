// Chinese for the texts that have no id: captions, menu and button texts, dialog labels and
// the few log texts without an id. Grouped by where they appear; sorted at compile time.
#include <algorithm>
#include <array>
#include <string_view>

#include "core/text/StringData.h"

namespace wexfold {
namespace {

template <std::size_t N>
constexpr std::array<PhraseEntry, N> SortedByEnglish(std::array<PhraseEntry, N> table) {
    std::sort(table.begin(), table.end(), [](const PhraseEntry& a, const PhraseEntry& b) {
        return std::string_view(a.english) < std::string_view(b.english);
    });
    return table;
}

constexpr auto kPhrases = SortedByEnglish(std::to_array<PhraseEntry>({
    // Message box captions.
    {"Warning", "警告"},
    {"Error!", "错误！"},
    {"Error", "错误"},
    {"Note", "提示"},
    {"Exit Warning", "退出警告"},
    {"Select date error", "日期选择错误"},
    {"Show report error.", "报告显示错误。"},
    {"No URL", "没有网址"},
    {"Can't Start!", "无法开始！"},
    {"Can't view statistics", "无法查看统计"},
    {"Stop URL", "停止网址"},
    {"Remove error.", "删除错误。"},
    {"Make sure remove?", "确定删除？"},
    {"Make sure Stop?", "确定停止？"},
    {"Sites too much!", "网站太多！"},
    {"Load URL question.", "载入网址确认。"},

    // Message texts.
    {"You can't add more than 256 urls!", "最多只能添加 256 个网址！"},
    // The check refuses a 'To' date before the 'From' date; the Chinese says so.
    {"'To' date can't later than 'From' date", "“至”日期不能早于“从”日期"},
    {"'To' date can't later than Today", "“至”日期不能晚于今天"},
    {"You must select a filter.", "必须至少选择一个过滤条件。"},
    {"CWinThread == NULL!", "无法创建监视线程（CWinThread == NULL）！"},
    {"SiteMoniter == NULL!", "无法创建网站监视线程（SiteMoniter == NULL）！"},
    {"m_pDownloadTread == NULL!", "无法创建下载线程（m_pDownloadTread == NULL）！"},

    // Log lines without an id: the marker and the number's place stay as in English.
    {"* %d seconds interval time.\r\n", "* %d 秒间隔时间。\r\n"},
    {"Exit program. ", "退出程序。 "},

    // Frame menu bar and the About box.
    {"File", "文件"},
    {"View", "查看"},
    {"Tools", "工具"},
    {"Help", "帮助"},
    {"About Wexfold", "关于 Wexfold"},
    {"Version 1.0  6.22.2007.3", "版本 1.0  6.22.2007.3"},
    {"OK", "确定"},
    {"Yes", "是"},
    {"No", "否"},
    {"Cancel", "取消"},

    // Main window pages.
    {"The update '%s' was downloaded. Open it now?", "更新“%s”已下载。现在打开吗？"},
    {"The address is too long: at most 255 characters.", "地址太长：最多 255 个字符。"},
    {"The 'From' date is not a valid date.", "“从”日期不是有效的日期。"},
    {"The 'To' date is not a valid date.", "“至”日期不是有效的日期。"},
    {"Broken minutes", "断链分钟"},
    {"Connected minutes", "连通分钟"},
    {"Average kb/s", "平均 kb/s"},
    {"The site list could not be written to the chosen file.", "无法将网站列表写入所选文件。"},
    {"The name '%s' can't be used: a site name has at most 10 characters, holds no '/' and is not "
     "'.' or '..'.",
     "名称“%s”不能使用：网站名称最多 10 个字符，不能含有“/”，也不能是“.”或“..”。"},
    {"URL List", "网址列表"},
    {"ADD NEW", "添加"},
    {"ADVANCED", "高级"},
    {"REMOVE", "删除"},
    {"Url Detail:", "网址详情："},
    {"Change", "更改"},
    {"Connection Speed:", "连接速度："},
    {"Current Static:", "当前状态："},
    {"Select report date", "选择报告日期"},
    {"From: ", "从： "},
    {"To: ", "至： "},
    {"Select filter", "选择过滤条件"},
    {"Broken link report.", "断链报告。"},
    {"Connectivity report. ", "连通报告。 "},
    {"Download speed.", "下载速度。"},
    {"View report now!", "立即查看报告！"},
    {"Recent Update:", "最近更新："},
    {"Starting connection!", "正在开始连接！"},
    // The automatic-update switch.
    {"ON", "开"},
    {"OFF", "关"},
    {"Update List:\n\n* %s, %dKB, %s", "更新列表：\n\n* %s，%dKB，%s"},
    {"Update successed! ", "更新成功！ "},
    {"Download file failed!", "下载文件失败！"},
    {"January", "一月"},
    {"February", "二月"},
    {"March", "三月"},
    {"April", "四月"},
    {"May", "五月"},
    {"June", "六月"},
    {"July", "七月"},
    {"August", "八月"},
    {"September", "九月"},
    {"October", "十月"},
    {"November", "十一月"},
    {"December", "十二月"},

    // Add-site dialog.
    {"ADD NEW URL", "添加新网址"},
    {"Please input an unique name:", "请输入唯一的名称："},
    {"Site Name:", "网站名称："},
    {"* Limit to 10 chars. ", "* 最多 10 个字符。 "},
    {"Protocol:", "协议："},
    {"Port:", "端口："},
    {"Please input URL or IP Detail Info:", "请输入网址或 IP 的详细信息："},
    {"Domain or IP:", "域名或 IP："},
    {"Example: ", "示例： "},
    {"My URL need username and password", "我的网址需要用户名和密码"},
    {"Username:", "用户名："},
    {"Password:", "密码："},

    // Advanced settings dialog.
    {"Monitor", "监视"},
    {"URL Info", "网址信息"},
    {"MONITOR", "监视"},
    {"REPORT", "报告"},
    {"Apply", "应用"},
    {"Setting Interval time of each connection:", "设置每次连接的间隔时间："},
    {"Default interval. (10 seconds)", "默认间隔（10 秒）"},
    {"Seconds.", "秒"},
    {"Minutes.", "分钟"},
    {"Hours.", "小时"},
    {"Add to All sites", "应用到所有网站"},
    {"Add to", "应用到"},
    {"Connetion lost", "连接中断"},
    {"Minutes popup Alert window.", "分钟后弹出警告窗口。"},
    {"Enable logging", "启用日志"},
    {"Only log broken link report.", "只记录断链报告。"},
    {"Log all event detail info.", "记录所有事件的详细信息。"},
    {"Automatically delete log file every month.", "每月自动删除日志文件。"},
    {"Name:", "名称："},
    {"Name: ", "名称： "},
    {"URL or IP:", "网址或 IP："},
    {"My Site need Authentication", "我的网站需要身份验证"},
    {"User Name:", "用户名："},

    // Export and import file dialogs.
    {"URL Configution file (*.wxf)|*.wxf|", "网址配置文件 (*.wxf)|*.wxf|"},

    // Report dialog: template texts, then the pieces its caption and labels are built from.
    {"Break Rate: 0%, 0 Minutes ", "断链率：0%，0 分钟 "},
    {"Connectivity Rate: 100%, 0 Minutes ", "连通率：100%，0 分钟 "},
    {"Average download speed: No Data!", "平均下载速度：没有数据！"},
    {"Show log:", "显示日志："},
    {"0 of 0 pages", "0 / 0 页"},
    {"URL:", "网址："},
    {"Date:", "日期："},
    {"NO DATA!", "没有数据！"},
    {"Form ", "从 "},
    {"%m/%d 20%y to ", "%m/%d 20%y 至 "},
    {"%m/%d 20%y - Show Report - ", "%m/%d 20%y - 查看报告 - "},
    {"URL: ", "网址： "},
    {"Form: ", "从： "},
    {"%B %d, 20%y\nTo:     ", "%B %d, 20%y\n至：     "},
    {"Broken link Rate: ", "断链率： "},
    {"Connectivity Rate:", "连通率："},
    {" Minutes", " 分钟"},
    {"Average download speed: %d kb/s", "平均下载速度：%d kb/s"},
}));

}  // namespace

std::span<const PhraseEntry> Phrases() {
    return kPhrases;
}

}  // namespace wexfold
