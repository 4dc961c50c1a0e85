<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>WindowText</name>
    <message>
        <source>输入范围为：390-470</source>
        <translation>Valid range: 390-470</translation>
    </message>
    <message>
        <source>输入范围为：0-255</source>
        <translation>Valid range: 0-255</translation>
    </message>
    <message>
        <source>“%1”不是有效的数字！</source>
        <translation>&quot;%1&quot; is not a valid number!</translation>
    </message>
    <message>
        <source>射频工作频率：</source>
        <translation>RF frequency:</translation>
    </message>
    <message>
        <source>射频空中速率：</source>
        <translation>RF air rate:</translation>
    </message>
    <message>
        <source>射频发射功率：</source>
        <translation>RF power:</translation>
    </message>
    <message>
        <source>串口波特率：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>串口奇偶校验：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>唤醒时间间隔：</source>
        <translation>Wake-up time:</translation>
    </message>
    <message>
        <source>延时触发时间：</source>
        <translation>Trigger delay:</translation>
    </message>
    <message>
        <source>本机地址：</source>
        <translation>Local address:</translation>
    </message>
    <message>
        <source>目标地址：</source>
        <translation>Target address:</translation>
    </message>
    <message>
        <source>包长设定：</source>
        <translation>Packet length:</translation>
    </message>
    <message>
        <source>无线模块参数设置</source>
        <translation>Radio module settings</translation>
    </message>
    <message>
        <source>纠错编码使能：</source>
        <translation>FEC enabled:</translation>
    </message>
    <message>
        <source>包完整模式：</source>
        <translation>Whole packets:</translation>
    </message>
    <message>
        <source>关于我们</source>
        <translation>About us</translation>
    </message>
    <message>
        <source>选择电脑串口：</source>
        <translation>PC serial port:</translation>
    </message>
    <message>
        <source>无线模块型号：</source>
        <translation>Module model:</translation>
    </message>
    <message>
        <source>无线模块版本：</source>
        <translation>Module version:</translation>
    </message>
    <message>
        <source>读取配置</source>
        <translation>Read settings</translation>
    </message>
    <message>
        <source>写入配置</source>
        <translation>Write settings</translation>
    </message>
    <message>
        <source> - 读取配置成功！</source>
        <translation> - Settings read!</translation>
    </message>
    <message>
        <source> - 写入配置成功！</source>
        <translation> - Settings written!</translation>
    </message>
    <message>
        <source> - 读取（写入）配置失败！</source>
        <translation> - Reading (writing) settings failed!</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>文本行</source>
        <translation>Text lines</translation>
    </message>
    <message>
        <source>二进制帧</source>
        <translation>Binary frames</translation>
    </message>
    <message>
        <source>大端</source>
        <translation>Big endian</translation>
    </message>
    <message>
        <source>输入</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>帧头</source>
        <translation>Header</translation>
    </message>
    <message>
        <source>个数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>样本序号</source>
        <translation>Sample no.</translation>
    </message>
    <message>
        <source>接收时间</source>
        <translation>Time received</translation>
    </message>
    <message>
        <source>自动缩放</source>
        <translation>Auto scale</translation>
    </message>
    <message>
        <source>触发</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>上升沿</source>
        <translation>Rising</translation>
    </message>
    <message>
        <source>下降沿</source>
        <translation>Falling</translation>
    </message>
    <message>
        <source>导出视图CSV</source>
        <translation>Export view CSV</translation>
    </message>
    <message>
        <source>导出全部CSV</source>
        <translation>Export all CSV</translation>
    </message>
    <message>
        <source>导出PNG</source>
        <translation>Export PNG</translation>
    </message>
    <message>
        <source>X轴</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>窗口</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>电平</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>样本 %1 · 无法解析 %2</source>
        <translation>Samples %1 · unreadable %2</translation>
    </message>
    <message>
        <source> · 丢失 %1</source>
        <translation> · lost %1</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>发送：</source>
        <translation>Sent: </translation>
    </message>
    <message>
        <source>发送</source>
        <comment>sent count</comment>
        <translation>Sent </translation>
    </message>
    <message>
        <source>（线路阻塞）</source>
        <translation> (blocked)</translation>
    </message>
    <message>
        <source>线路阻塞：对方没有接收数据，发送超时后已取消，其余数据未发送。</source>
        <translation>Line blocked: the other side took no data; the send timed out and was cancelled, the rest was not sent.</translation>
    </message>
    <message>
        <source>（%1字以?代替）</source>
        <translation> (%1 as ?)</translation>
    </message>
    <message>
        <source>有%1个字符无法用GBK编码，已以?发送。</source>
        <translation>%1 character(s) cannot be encoded in GBK and were sent as ?.</translation>
    </message>
    <message>
        <source>接收中的Break：%1
帧错误：%2
校验错误：%3
溢出：%4</source>
        <translation>Breaks received: %1
Framing errors: %2
Parity errors: %3
Overruns: %4</translation>
    </message>
    <message>
        <source>发送Break</source>
        <translation>Send Break</translation>
    </message>
    <message>
        <source> - 串口已重新连接！</source>
        <translation> - Port reconnected!</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Reconnect</translation>
    </message>
    <message>
        <source>设备断开后等待它回来并自动重新打开串口</source>
        <translation>When the device is unplugged, wait for it to come back and reopen the port</translation>
    </message>
    <message>
        <source>TCP网络串口只传送数据，串口参数设置对它不起作用</source>
        <translation>A TCP network port carries data only; the port settings have no effect on it</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>等待重新连接…</source>
        <translation>Waiting to reconnect…</translation>
    </message>
    <message>
        <source>串口 %1 已断开，设备回来时自动重新打开</source>
        <translation>Port %1 is disconnected; it reopens when the device comes back</translation>
    </message>
    <message>
        <source>%1：不可用（设备没有调制解调器信号线）</source>
        <translation>%1: not available (the device has no modem lines)</translation>
    </message>
    <message>
        <source>%1：有效</source>
        <translation>%1: on</translation>
    </message>
    <message>
        <source>%1：无效</source>
        <translation>%1: off</translation>
    </message>
    <message>
        <source>扩展</source>
        <translation>More</translation>
    </message>
    <message>
        <source>字符串</source>
        <translation>String</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>自动循环发送，间隔：</source>
        <translation>Loop all, every:</translation>
    </message>
    <message>
        <source>隐藏</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>接收：</source>
        <translation>Received: </translation>
    </message>
    <message>
        <source>记录文件名格式无效：</source>
        <translation>Invalid capture file name pattern: </translation>
    </message>
    <message>
        <source>记录文件夹不可用：</source>
        <translation>Capture folder not usable: </translation>
    </message>
    <message>
        <source>记录文件无法创建：</source>
        <translation>Capture file cannot be created: </translation>
    </message>
    <message>
        <source>记录文件写入失败，记录已停止：</source>
        <translation>Writing the capture file failed, capture stopped: </translation>
    </message>
    <message>
        <source>记录文件写入跟不上接收，记录已停止：</source>
        <translation>The capture file could not keep up with the data received, capture stopped: </translation>
    </message>
    <message>
        <source>查找...</source>
        <translation>Find...</translation>
    </message>
    <message>
        <source>显示时间戳</source>
        <translation>Show time stamps</translation>
    </message>
    <message>
        <source>HEX时间戳分行间隔...</source>
        <translation>HEX time stamp line gap...</translation>
    </message>
    <message>
        <source>暂停显示</source>
        <translation>Pause display</translation>
    </message>
    <message>
        <source>开始记录</source>
        <translation>Start capture</translation>
    </message>
    <message>
        <source>原始数据</source>
        <translation>Raw data</translation>
    </message>
    <message>
        <source>文本行（带时间戳）</source>
        <translation>Text lines (with time stamps)</translation>
    </message>
    <message>
        <source>HEX行（带时间戳）</source>
        <translation>HEX lines (with time stamps)</translation>
    </message>
    <message>
        <source>打开串口时自动记录</source>
        <translation>Capture whenever the port opens</translation>
    </message>
    <message>
        <source>记录文件夹...</source>
        <translation>Capture folder...</translation>
    </message>
    <message>
        <source>记录文件名格式...</source>
        <translation>Capture file name pattern...</translation>
    </message>
    <message>
        <source>记录文件大小上限...</source>
        <translation>Capture file size limit...</translation>
    </message>
    <message>
        <source>停止记录</source>
        <translation>Stop capture</translation>
    </message>
    <message>
        <source>记录格式</source>
        <translation>Capture format</translation>
    </message>
    <message>
        <source>记录中 </source>
        <translation>Capturing </translation>
    </message>
    <message>
        <source>HEX时间戳分行间隔</source>
        <translation>HEX time stamp line gap</translation>
    </message>
    <message>
        <source>两字节间隔超过此值（毫秒）时另起一行：</source>
        <translation>Start a new line when two bytes are further apart than (ms):</translation>
    </message>
    <message>
        <source>记录文件夹</source>
        <translation>Capture folder</translation>
    </message>
    <message>
        <source>记录文件名格式</source>
        <translation>Capture file name pattern</translation>
    </message>
    <message>
        <source>%Y %m %d %H %M %S 为日期时间，&lt;port&gt; 为串口名：</source>
        <translation>%Y %m %d %H %M %S stand for the date and time, &lt;port&gt; for the port name:</translation>
    </message>
    <message>
        <source>记录文件大小上限</source>
        <translation>Capture file size limit</translation>
    </message>
    <message>
        <source>文件达到此大小（MB）时另起新文件：</source>
        <translation>Start a new file when a file reaches this size (MB):</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>发送文件</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>保存窗口</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>清除窗口</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>HEX显示</source>
        <translation>HEX view</translation>
    </message>
    <message>
        <source>串口号：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>校验位：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>流控制：</source>
        <translation>Flow ctrl:</translation>
    </message>
    <message>
        <source>发送：0</source>
        <translation>Sent: 0</translation>
    </message>
    <message>
        <source>接收：0</source>
        <translation>Received: 0</translation>
    </message>
    <message>
        <source>HEX发送</source>
        <translation>HEX send</translation>
    </message>
    <message>
        <source>发送新行</source>
        <translation>Send CR LF</translation>
    </message>
    <message>
        <source>发送&apos;\n&apos;</source>
        <translation>Send &apos;\n&apos;</translation>
    </message>
    <message>
        <source>定时发送</source>
        <translation>Timed send</translation>
    </message>
    <message>
        <source>字符串输入框：</source>
        <translation>Text to send:</translation>
    </message>
    <message>
        <source>ms/次</source>
        <translation>ms/send</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>该串口不存在或串口被占用！</source>
        <translation>The port does not exist or is in use!</translation>
    </message>
    <message>
        <source>串口参数读取失败，请检查并重新设置！</source>
        <translation>Reading the port settings failed; please check them and set them again!</translation>
    </message>
    <message>
        <source>串口参数设置有误，请检查并重新设置！</source>
        <translation>The port settings are wrong; please check them and set them again!</translation>
    </message>
    <message>
        <source>串口还未打开！</source>
        <translation>The port is not open yet!</translation>
    </message>
    <message>
        <source>请输入一个正整数！</source>
        <translation>Please enter a positive integer!</translation>
    </message>
    <message>
        <source>添加网络串口</source>
        <translation>Add network port</translation>
    </message>
    <message>
        <source>RFC 2217（可设置串口参数）</source>
        <translation>RFC 2217 (port settings apply)</translation>
    </message>
    <message>
        <source>TCP（只传送数据）</source>
        <translation>TCP (data only)</translation>
    </message>
    <message>
        <source>协议：</source>
        <translation>Protocol:</translation>
    </message>
    <message>
        <source>主机：</source>
        <translation>Host:</translation>
    </message>
    <message>
        <source>端口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>请输入主机名或地址！</source>
        <translation>Please enter a host name or address!</translation>
    </message>
    <message>
        <source>请输入端口号！</source>
        <translation>Please enter a port number!</translation>
    </message>
    <message>
        <source>端口号应在1到65535之间！</source>
        <translation>The port number must be between 1 and 65535!</translation>
    </message>
    <message>
        <source>主机名无法解析，请检查主机名或地址！</source>
        <translation>The host name cannot be resolved; please check the host name or address!</translation>
    </message>
    <message>
        <source>添加网络串口…</source>
        <translation>Add network port…</translation>
    </message>
    <message>
        <source>删除网络串口…</source>
        <translation>Remove network port…</translation>
    </message>
    <message>
        <source>删除网络串口</source>
        <translation>Remove network port</translation>
    </message>
    <message>
        <source>网络串口：</source>
        <translation>Network port:</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>按十六进制字节查找，如 0D 0A</source>
        <translation>Find hex bytes, e.g. 0D 0A</translation>
    </message>
    <message>
        <source>区分大小写</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>上一个 (Shift+F3)</source>
        <translation>Previous (Shift+F3)</translation>
    </message>
    <message>
        <source>下一个 (F3)</source>
        <translation>Next (F3)</translation>
    </message>
    <message>
        <source>关闭 (Esc)</source>
        <translation>Close (Esc)</translation>
    </message>
    <message>
        <source>十六进制有误</source>
        <translation>Bad hex</translation>
    </message>
    <message>
        <source>无匹配</source>
        <translation>No match</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source> - 发现新设备！</source>
        <translation> - New device found!</translation>
    </message>
    <message>
        <source> - ZEL设备被移除！</source>
        <translation> - ZEL device removed!</translation>
    </message>
    <message>
        <source> - 设备被移除！</source>
        <translation> - Device removed!</translation>
    </message>
    <message>
        <source>串口调试工具</source>
        <translation>Serial Terminal</translation>
    </message>
    <message>
        <source>ZEL配置工具</source>
        <translation>ZEL Configuration</translation>
    </message>
    <message>
        <source>波形显示</source>
        <translation>Plot</translation>
    </message>
    <message>
        <source>文件过大</source>
        <translation>file too large</translation>
    </message>
    <message>
        <source>设置文件读取失败，本次的设置未保存：</source>
        <translation>The settings file could not be read; this session&apos;s settings were not saved: </translation>
    </message>
    <message>
        <source>设置文件保存失败：</source>
        <translation>Saving the settings file failed: </translation>
    </message>
    <message>
        <source>Kestrova专注于短距离无线数传模块的研发、生产与销售。
ZEL系列模块广泛用于工业遥控、远程抄表、楼宇自动化和智能家居。
我们为客户提供模块选型、方案设计与技术支持，欢迎访问我们的网站：</source>
        <translation>Kestrova develops, makes and sells short-range wireless data modules.
ZEL modules serve in industrial remote control, remote meter reading, building automation and smart homes.
We help our customers choose modules, design solutions and give technical support. Visit our website:</translation>
    </message>
    <message>
        <source>Kestrova串口调试工具 &amp; ZEL无线模块配置工具 V2.2</source>
        <translation>Kestrova Serial Terminal &amp; ZEL Radio Module Configuration Tool V2.2</translation>
    </message>
    <message>
        <source>适用系统：Windows 9x/NT/2000/XP/2003，以及装有 Qt 6 的 Linux 桌面</source>
        <translation>Runs on: Windows 9x/NT/2000/XP/2003, and Linux desktops with Qt 6</translation>
    </message>
    <message>
        <source>==================== 版本更新记录 ====================</source>
        <translation>==================== Version history ====================</translation>
    </message>
    <message>
        <source>V2.2：修正接收窗口刷新时的闪烁问题。</source>
        <translation>V2.2: The receive window no longer flickers when it refreshes.</translation>
    </message>
    <message>
        <source>V2.2：接收窗口中的方向键以终端转义序列发送（ESC [A/[B/[C/[D）。</source>
        <translation>V2.2: Arrow keys in the receive window are sent as terminal escape sequences (ESC [A/[B/[C/[D).</translation>
    </message>
    <message>
        <source>V2.1：增加 DTR、RTS 控制线的设置。</source>
        <translation>V2.1: DTR and RTS control lines can be set.</translation>
    </message>
    <message>
        <source>V2.1：ZEL配置：本机地址、目标地址可设为 0-255。</source>
        <translation>V2.1: ZEL configuration: local and target address can be 0-255.</translation>
    </message>
    <message>
        <source>V2.1：ZEL配置：包长可设为 2、4、8、16、32、64 字节。</source>
        <translation>V2.1: ZEL configuration: packet length can be 2, 4, 8, 16, 32 or 64 bytes.</translation>
    </message>
    <message>
        <source>V2.1：ZEL配置：增加包完整模式，一包最多 224 字节。</source>
        <translation>V2.1: ZEL configuration: whole-packet mode added, up to 224 bytes a packet.</translation>
    </message>
    <message>
        <source>V2.0：加快接收数据的显示速度。</source>
        <translation>V2.0: Received data is shown faster.</translation>
    </message>
    <message>
        <source>V2.0：HEX发送支持单个十六进制数字（如 1 即 0x01）。</source>
        <translation>V2.0: HEX send accepts single hex digits (1 means 0x01).</translation>
    </message>
    <message>
        <source>V1.9：ZEL配置：增加延时触发时间。</source>
        <translation>V1.9: ZEL configuration: trigger delay added.</translation>
    </message>
    <message>
        <source>V1.9：ZEL配置：增加纠错编码开关。</source>
        <translation>V1.9: ZEL configuration: FEC switch added.</translation>
    </message>
    <message>
        <source>V1.8：ZEL配置：增加网络标识。</source>
        <translation>V1.8: ZEL configuration: network ID added.</translation>
    </message>
    <message>
        <source>V1.7：可单独发送换行符 &apos;\n&apos;。</source>
        <translation>V1.7: A lone line feed &apos;\n&apos; can be sent.</translation>
    </message>
    <message>
        <source>V1.6：接收退格符时删除窗口中的前一个字符。</source>
        <translation>V1.6: A received backspace deletes the character before it in the window.</translation>
    </message>
    <message>
        <source>V1.5：在接收窗口中按键即发送该键。</source>
        <translation>V1.5: A key pressed in the receive window is sent.</translation>
    </message>
    <message>
        <source>V1.4：增加 32 条预置字符串，可标记为 HEX，并可循环发送。</source>
        <translation>V1.4: 32 preset strings, each can be HEX, sent in a loop.</translation>
    </message>
    <message>
        <source>V1.3：串口打开时修改参数立即生效。</source>
        <translation>V1.3: Changed settings take effect at once while the port is open.</translation>
    </message>
    <message>
        <source>V1.3：打开串口时按界面选择设置流控制之外的全部参数。</source>
        <translation>V1.3: Opening the port applies every setting shown except flow control.</translation>
    </message>
    <message>
        <source>V1.2：收发改为多线程，界面不再卡顿。</source>
        <translation>V1.2: Sending and receiving run in threads; the window no longer stalls.</translation>
    </message>
    <message>
        <source>V1.1：自动列出本机所有串口。</source>
        <translation>V1.1: All serial ports of the computer are listed.</translation>
    </message>
    <message>
        <source>V1.1：大量接收数据时不再停顿。</source>
        <translation>V1.1: No more pauses while much data arrives.</translation>
    </message>
    <message>
        <source>V1.0：无需安装任何插件，单个文件即可运行。</source>
        <translation>V1.0: Needs no plug-ins; runs from a single file.</translation>
    </message>
    <message>
        <source>==================== V1.0 功能 ====================</source>
        <translation>==================== V1.0 features ====================</translation>
    </message>
    <message>
        <source>1. 接收数据以字符或十六进制显示；</source>
        <translation>1. Received data shown as characters or hex;</translation>
    </message>
    <message>
        <source>2. 支持中文字符的收发与显示；</source>
        <translation>2. Chinese characters sent, received and shown;</translation>
    </message>
    <message>
        <source>3. 波特率 110 至 256000；</source>
        <translation>3. Baud rates 110 to 256000;</translation>
    </message>
    <message>
        <source>4. 自动列出本机串口；</source>
        <translation>4. Serial ports listed automatically;</translation>
    </message>
    <message>
        <source>5. 数据位 5、6、7、8；</source>
        <translation>5. Data bits 5, 6, 7, 8;</translation>
    </message>
    <message>
        <source>6. 停止位 1、1.5、2；</source>
        <translation>6. Stop bits 1, 1.5, 2;</translation>
    </message>
    <message>
        <source>7. 校验位 None、Odd、Even、Mark、Space；</source>
        <translation>7. Parity None, Odd, Even, Mark, Space;</translation>
    </message>
    <message>
        <source>8. 流控制 None、Hardware、Software；</source>
        <translation>8. Flow control None, Hardware, Software;</translation>
    </message>
    <message>
        <source>9. 关闭时保存设置，启动时自动载入；</source>
        <translation>9. Settings saved on close and loaded on start;</translation>
    </message>
    <message>
        <source>10. 在接收窗口中按键即发送该键；</source>
        <translation>10. A key pressed in the receive window is sent;</translation>
    </message>
    <message>
        <source>11. 发送字符串；</source>
        <translation>11. Sends strings;</translation>
    </message>
    <message>
        <source>12. 发送十六进制字符串；</source>
        <translation>12. Sends hex strings;</translation>
    </message>
    <message>
        <source>13. 定时发送，间隔以毫秒计；</source>
        <translation>13. Timed sending, interval in milliseconds;</translation>
    </message>
    <message>
        <source>14. 可在字符串后发送新行（回车换行）；</source>
        <translation>14. A new line (CR LF) can follow the string;</translation>
    </message>
    <message>
        <source>15. 保存窗口内容到文件；</source>
        <translation>15. Saves the window content to a file;</translation>
    </message>
    <message>
        <source>16. 保存的文件以当前时间命名；</source>
        <translation>16. The saved file is named after the current time;</translation>
    </message>
    <message>
        <source>17. 显示发送与接收的字节数；</source>
        <translation>17. Shows the bytes sent and received;</translation>
    </message>
    <message>
        <source>18. “清除窗口”同时清零计数；</source>
        <translation>18. &quot;Clear&quot; also resets the counts;</translation>
    </message>
    <message>
        <source>19. 提供厂家网站与技术资料的链接；</source>
        <translation>19. Links to the maker&apos;s website and documents;</translation>
    </message>
    <message>
        <source>20. 界面简洁，操作方便；</source>
        <translation>20. Simple window, easy to use;</translation>
    </message>
    <message>
        <source>21. 单个可执行文件，无需安装。</source>
        <translation>21. A single executable, no installation.</translation>
    </message>
    <message>
        <source>==================== ZEL配置工具说明 ====================</source>
        <translation>==================== ZEL configuration ====================</translation>
    </message>
    <message>
        <source>支持的模块：ZEL-A1、ZEL-A2、ZEL-A3、ZEL-B1、ZEL-B1 FIFO、ZEL-C1、ZEL-D1。</source>
        <translation>Modules: ZEL-A1, ZEL-A2, ZEL-A3, ZEL-B1, ZEL-B1 FIFO, ZEL-C1, ZEL-D1.</translation>
    </message>
    <message>
        <source>连接方法：用串口线或 USB 转串口线把模块接到电脑，</source>
        <translation>Connecting: connect the module to the computer with a serial or USB serial cable,</translation>
    </message>
    <message>
        <source>          给模块上电，在“选择电脑串口”中选择模块所在的串口。</source>
        <translation>          power the module and choose its port under &quot;PC serial port&quot;.</translation>
    </message>
    <message>
        <source>读取配置：按“读取配置”，约半秒后显示模块型号、版本和各项参数，</source>
        <translation>Reading: press &quot;Read settings&quot;; about half a second later the model, version and settings show,</translation>
    </message>
    <message>
        <source>          标题栏显示“读取配置成功”或“读取（写入）配置失败”。</source>
        <translation>          and the title bar says &quot;Settings read&quot; or &quot;Reading (writing) settings failed&quot;.</translation>
    </message>
    <message>
        <source>写入配置：修改参数后按“写入配置”，标题栏显示结果。</source>
        <translation>Writing: change the settings and press &quot;Write settings&quot;; the title bar shows the result.</translation>
    </message>
    <message>
        <source>配置时模块串口固定为 9600bps、8 位数据、1 位停止位、无校验。</source>
        <translation>While configuring, the module port runs at 9600bps, 8 data bits, 1 stop bit, no parity.</translation>
    </message>
    <message>
        <source>射频工作频率范围：390MHz 至 470MHz，最多三位小数。</source>
        <translation>RF frequency range: 390MHz to 470MHz, at most three decimals.</translation>
    </message>
    <message>
        <source>本机地址、目标地址、延时触发时间的范围：0-255。</source>
        <translation>Local address, target address and trigger delay: 0-255.</translation>
    </message>
    <message>
        <source>注意：读取或写入期间请勿拔出模块或关闭程序。</source>
        <translation>Note: do not unplug the module or close the program while reading or writing.</translation>
    </message>
    <message>
        <source>终端页面与配置页面不能同时占用同一个串口。</source>
        <translation>The terminal page and the configuration page cannot use the same port at once.</translation>
    </message>
    <message>
        <source>模块的每个回复都以“$”开头；无回复表示连线、串口或模块有误。</source>
        <translation>Every reply of the module starts with &quot;$&quot;; no reply means a fault in the cable, port or module.</translation>
    </message>
    <message>
        <source>==================== 模块出厂默认参数 ====================</source>
        <translation>==================== Module factory settings ====================</translation>
    </message>
    <message>
        <source>射频工作频率：433.92MHz</source>
        <translation>RF frequency: 433.92MHz</translation>
    </message>
    <message>
        <source>射频空中速率：1Kbps</source>
        <translation>RF air rate: 1Kbps</translation>
    </message>
    <message>
        <source>射频发射功率：12.5mW</source>
        <translation>RF power: 12.5mW</translation>
    </message>
    <message>
        <source>串口波特率：9600bps</source>
        <translation>Baud rate: 9600bps</translation>
    </message>
    <message>
        <source>串口奇偶校验：无</source>
        <translation>Parity: none</translation>
    </message>
    <message>
        <source>唤醒时间间隔：1s</source>
        <translation>Wake-up time: 1s</translation>
    </message>
    <message>
        <source>延时触发时间：5ms</source>
        <translation>Trigger delay: 5ms</translation>
    </message>
    <message>
        <source>纠错编码：开启</source>
        <translation>FEC: on</translation>
    </message>
    <message>
        <source>包长：32 字节</source>
        <translation>Packet length: 32 bytes</translation>
    </message>
    <message>
        <source>==================== 声明 ====================</source>
        <translation>==================== Notice ====================</translation>
    </message>
    <message>
        <source>本软件可免费使用和自由传播；</source>
        <translation>This software is free to use and to pass on;</translation>
    </message>
    <message>
        <source>因使用本软件造成的任何直接或间接损失，作者不承担责任。</source>
        <translation>the authors are not liable for any direct or indirect loss from its use.</translation>
    </message>
    <message>
        <source>本软件按现状提供，不附带任何明示或暗示的担保。</source>
        <translation>It is provided as is, without any warranty, express or implied.</translation>
    </message>
    <message>
        <source>使用中发现问题或有改进建议，欢迎与我们联系，</source>
        <translation>If you find a problem or have an idea, please contact us;</translation>
    </message>
    <message>
        <source>我们会在后续版本中改进。</source>
        <translation>we will improve it in later versions.</translation>
    </message>
    <message>
        <source>网址：http://www.kestrova.example</source>
        <translation>Web: http://www.kestrova.example</translation>
    </message>
    <message>
        <source>谢谢使用！</source>
        <translation>Thank you for using it!</translation>
    </message>
    <message>
        <source>2026年12月</source>
        <translation>December 2026</translation>
    </message>
    <message>
        <source>Kestrova串口调试工具V2.2 - </source>
        <translation>Kestrova Serial Tool V2.2 - </translation>
    </message>
    <message>
        <source>暂停</source>
        <comment>display state</comment>
        <translation>Paused</translation>
    </message>
    <message>
        <source>时间戳</source>
        <comment>display state</comment>
        <translation>Stamps</translation>
    </message>
</context>
<context>
    <name>WindowText::WindowText</name>
    <message>
        <source>CSV文件保存失败：</source>
        <translation>Saving the CSV file failed: </translation>
    </message>
    <message>
        <source>PNG文件保存失败：</source>
        <translation>Saving the PNG file failed: </translation>
    </message>
    <message>
        <source>窗口内容保存失败：</source>
        <translation>Saving the window content failed: </translation>
    </message>
    <message>
        <source>窗口内容已保存在此程序相同目录下！</source>
        <translation>The window content was saved in the folder of this program!</translation>
    </message>
    <message>
        <source>记录文件名格式无效：</source>
        <translation>Invalid capture file name pattern: </translation>
    </message>
    <message>
        <source>“%1”不是有效的整数值！</source>
        <translation>&quot;%1&quot; is not a valid integer!</translation>
    </message>
    <message>
        <source>网络串口已满（最多%1个），请先删除一个！</source>
        <translation>The network port list is full (at most %1); please remove one first!</translation>
    </message>
    <message>
        <source>内存分配失败，应用程序将关闭！</source>
        <translation>Out of memory; the program will close!</translation>
    </message>
</context>
</TS>
