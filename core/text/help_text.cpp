#include "core/text/help_text.h"

#include <iterator>

#include "core/text/gbk_codec.h"
#include "core/text/shown_text.h"

namespace {
// One entry per line; a line the window translates is marked as shown text.
constexpr const char* kHelpLines[] = {
    SHOWN_TEXT("WindowText", "Kestrova串口调试工具 & ZEL无线模块配置工具 V2.2"),
    SHOWN_TEXT("WindowText", "适用系统：Windows 9x/NT/2000/XP/2003，以及装有 Qt 6 的 Linux 桌面"),
    SHOWN_TEXT("WindowText", "==================== 版本更新记录 ===================="),
    SHOWN_TEXT("WindowText", "V2.2：修正接收窗口刷新时的闪烁问题。"),
    SHOWN_TEXT("WindowText", "V2.2：接收窗口中的方向键以终端转义序列发送（ESC [A/[B/[C/[D）。"),
    SHOWN_TEXT("WindowText", "V2.1：增加 DTR、RTS 控制线的设置。"),
    SHOWN_TEXT("WindowText", "V2.1：ZEL配置：本机地址、目标地址可设为 0-255。"),
    SHOWN_TEXT("WindowText", "V2.1：ZEL配置：包长可设为 2、4、8、16、32、64 字节。"),
    SHOWN_TEXT("WindowText", "V2.1：ZEL配置：增加包完整模式，一包最多 224 字节。"),
    SHOWN_TEXT("WindowText", "V2.0：加快接收数据的显示速度。"),
    SHOWN_TEXT("WindowText", "V2.0：HEX发送支持单个十六进制数字（如 1 即 0x01）。"),
    SHOWN_TEXT("WindowText", "V1.9：ZEL配置：增加延时触发时间。"),
    SHOWN_TEXT("WindowText", "V1.9：ZEL配置：增加纠错编码开关。"),
    SHOWN_TEXT("WindowText", "V1.8：ZEL配置：增加网络标识。"),
    SHOWN_TEXT("WindowText", "V1.7：可单独发送换行符 '\\n'。"),
    SHOWN_TEXT("WindowText", "V1.6：接收退格符时删除窗口中的前一个字符。"),
    SHOWN_TEXT("WindowText", "V1.5：在接收窗口中按键即发送该键。"),
    SHOWN_TEXT("WindowText", "V1.4：增加 32 条预置字符串，可标记为 HEX，并可循环发送。"),
    SHOWN_TEXT("WindowText", "V1.3：串口打开时修改参数立即生效。"),
    SHOWN_TEXT("WindowText", "V1.3：打开串口时按界面选择设置流控制之外的全部参数。"),
    SHOWN_TEXT("WindowText", "V1.2：收发改为多线程，界面不再卡顿。"),
    SHOWN_TEXT("WindowText", "V1.1：自动列出本机所有串口。"),
    SHOWN_TEXT("WindowText", "V1.1：大量接收数据时不再停顿。"),
    SHOWN_TEXT("WindowText", "V1.0：无需安装任何插件，单个文件即可运行。"),
    SHOWN_TEXT("WindowText", "==================== V1.0 功能 ===================="),
    SHOWN_TEXT("WindowText", "1. 接收数据以字符或十六进制显示；"),
    SHOWN_TEXT("WindowText", "2. 支持中文字符的收发与显示；"),
    SHOWN_TEXT("WindowText", "3. 波特率 110 至 256000；"),
    SHOWN_TEXT("WindowText", "4. 自动列出本机串口；"),
    SHOWN_TEXT("WindowText", "5. 数据位 5、6、7、8；"),
    SHOWN_TEXT("WindowText", "6. 停止位 1、1.5、2；"),
    SHOWN_TEXT("WindowText", "7. 校验位 None、Odd、Even、Mark、Space；"),
    SHOWN_TEXT("WindowText", "8. 流控制 None、Hardware、Software；"),
    SHOWN_TEXT("WindowText", "9. 关闭时保存设置，启动时自动载入；"),
    SHOWN_TEXT("WindowText", "10. 在接收窗口中按键即发送该键；"),
    SHOWN_TEXT("WindowText", "11. 发送字符串；"),
    SHOWN_TEXT("WindowText", "12. 发送十六进制字符串；"),
    SHOWN_TEXT("WindowText", "13. 定时发送，间隔以毫秒计；"),
    SHOWN_TEXT("WindowText", "14. 可在字符串后发送新行（回车换行）；"),
    SHOWN_TEXT("WindowText", "15. 保存窗口内容到文件；"),
    SHOWN_TEXT("WindowText", "16. 保存的文件以当前时间命名；"),
    SHOWN_TEXT("WindowText", "17. 显示发送与接收的字节数；"),
    SHOWN_TEXT("WindowText", "18. “清除窗口”同时清零计数；"),
    SHOWN_TEXT("WindowText", "19. 提供厂家网站与技术资料的链接；"),
    SHOWN_TEXT("WindowText", "20. 界面简洁，操作方便；"),
    SHOWN_TEXT("WindowText", "21. 单个可执行文件，无需安装。"),
    SHOWN_TEXT("WindowText", "==================== ZEL配置工具说明 ===================="),
    SHOWN_TEXT("WindowText", "支持的模块：ZEL-A1、ZEL-A2、ZEL-A3、ZEL-B1、ZEL-B1 FIFO、ZEL-C1、ZEL-D1。"),
    SHOWN_TEXT("WindowText", "连接方法：用串口线或 USB 转串口线把模块接到电脑，"),
    SHOWN_TEXT("WindowText", "          给模块上电，在“选择电脑串口”中选择模块所在的串口。"),
    SHOWN_TEXT("WindowText", "读取配置：按“读取配置”，约半秒后显示模块型号、版本和各项参数，"),
    SHOWN_TEXT("WindowText", "          标题栏显示“读取配置成功”或“读取（写入）配置失败”。"),
    SHOWN_TEXT("WindowText", "写入配置：修改参数后按“写入配置”，标题栏显示结果。"),
    SHOWN_TEXT("WindowText", "配置时模块串口固定为 9600bps、8 位数据、1 位停止位、无校验。"),
    SHOWN_TEXT("WindowText", "射频工作频率范围：390MHz 至 470MHz，最多三位小数。"),
    SHOWN_TEXT("WindowText", "本机地址、目标地址、延时触发时间的范围：0-255。"),
    SHOWN_TEXT("WindowText", "注意：读取或写入期间请勿拔出模块或关闭程序。"),
    SHOWN_TEXT("WindowText", "终端页面与配置页面不能同时占用同一个串口。"),
    SHOWN_TEXT("WindowText", "模块的每个回复都以“$”开头；无回复表示连线、串口或模块有误。"),
    SHOWN_TEXT("WindowText", "==================== 模块出厂默认参数 ===================="),
    SHOWN_TEXT("WindowText", "射频工作频率：433.92MHz"),
    SHOWN_TEXT("WindowText", "射频空中速率：1Kbps"),
    SHOWN_TEXT("WindowText", "射频发射功率：12.5mW"),
    SHOWN_TEXT("WindowText", "串口波特率：9600bps"),
    SHOWN_TEXT("WindowText", "串口奇偶校验：无"),
    SHOWN_TEXT("WindowText", "唤醒时间间隔：1s"),
    SHOWN_TEXT("WindowText", "延时触发时间：5ms"),
    SHOWN_TEXT("WindowText", "纠错编码：开启"),
    SHOWN_TEXT("WindowText", "包长：32 字节"),
    SHOWN_TEXT("WindowText", "==================== 声明 ===================="),
    SHOWN_TEXT("WindowText", "本软件可免费使用和自由传播；"),
    SHOWN_TEXT("WindowText", "因使用本软件造成的任何直接或间接损失，作者不承担责任。"),
    SHOWN_TEXT("WindowText", "本软件按现状提供，不附带任何明示或暗示的担保。"),
    SHOWN_TEXT("WindowText", "使用中发现问题或有改进建议，欢迎与我们联系，"),
    SHOWN_TEXT("WindowText", "我们会在后续版本中改进。"),
    SHOWN_TEXT("WindowText", "网址：http://www.kestrova.example"),
    SHOWN_TEXT("WindowText", "谢谢使用！"),
    "Kestrova",
    SHOWN_TEXT("WindowText", "2026年12月"),
};
}  // namespace

std::string HelpTextUtf8(const HelpLineText& lineText) {
  std::string text;
  for (size_t n = 0; n < std::size(kHelpLines); ++n) {
    if (n > 0) text += '\n';
    text += lineText ? lineText(kHelpLines[n]) : std::string(kHelpLines[n]);
  }
  return text;
}

std::string HelpTextGbk(const HelpLineText& lineText) { return EncodeGbk(HelpTextUtf8(lineText)).bytes; }
