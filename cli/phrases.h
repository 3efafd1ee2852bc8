// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace veltrin::cli {

// A message in both languages the command line speaks.
struct Phrase
{
    const char16_t *english;
    const char16_t *chinese;
};

// Whether the user's locale asks for Chinese, read the way gettext reads it:
// LANGUAGE unless the locale is C, else LC_ALL, LC_MESSAGES, LANG, else the
// system's locale.
bool chineseLocale();
void setChinese(bool chinese);
bool chinese();

// The phrase in the language chosen with setChinese.
QString say(const Phrase &phrase);

namespace phrase {

// Program and commands
inline constexpr Phrase program{
    u"Turns a text into a picture, one pixel per character, and the picture back into the text.",
    u"把文字变成图片（每个字符一个像素），也能把这样的图片还原成文字。"};
inline constexpr Phrase commandsHeading{u"Commands:", u"命令："};
inline constexpr Phrase commandHelp{u"Run 'veltrin-cli COMMAND --help' for a command's options.",
                                    u"运行“veltrin-cli 命令 --help”查看各命令的选项。"};
inline constexpr Phrase commandArgument{u"encrypt, decrypt, info or web",
                                        u"encrypt、decrypt、info 或 web"};
inline constexpr Phrase noCommand{u"no command given; run 'veltrin-cli --help'",
                                  u"没有给出命令；请运行“veltrin-cli --help”"};
inline constexpr Phrase unknownCommand{u"unknown command '%1'; run 'veltrin-cli --help'",
                                       u"未知命令“%1”；请运行“veltrin-cli --help”"};
inline constexpr Phrase usageHint{u"%1; run 'veltrin-cli %2 --help'",
                                  u"%1；请运行“veltrin-cli %2 --help”"};
inline constexpr Phrase missingArgument{u"the argument %1 is missing", u"缺少参数 %1"};
inline constexpr Phrase extraArgument{u"unexpected argument '%1'", u"多余的参数“%1”"};
inline constexpr Phrase encryptCommand{
    u"Turns a text into a cipher picture, a 24-bit BMP or PNG; with --robust, into one that "
    u"survives chat programs.",
    u"把文字加密成图片（24 位 BMP 或 PNG）；加 --robust 时生成经得起转发的图片。"};
inline constexpr Phrase decryptCommand{u"Turns a cipher picture back into its text.",
                                       u"把加密图片还原成文字。"};
inline constexpr Phrase infoCommand{u"Shows a picture's size, its kind and its header values.",
                                    u"显示图片的尺寸、类型和头部数值。"};
inline constexpr Phrase webCommand{
    u"Writes a copy of the browser page, which reads and makes pictures in any browser.",
    u"写出一份网页：在任何浏览器里都能读取和生成图片。"};
inline constexpr Phrase pageArgument{u"Where to write the page.", u"网页写到哪里。"};
inline constexpr Phrase forcePageOption{u"Replace FILE if it exists.", u"FILE 已存在时替换它。"};
inline constexpr Phrase sitePageOption{
    u"Write the site to publish into the folder FILE instead: the page, its manifest, icons and "
    u"service worker, which keeps it for use offline.",
    u"改为把要发布的网站写进文件夹 FILE：网页、清单、图标和让它离线可用的 service worker。"};
inline constexpr Phrase noPage{u"no browser page was installed with veltrin-cli: looked for %1",
                               u"veltrin-cli 没有安装网页：找过 %1"};

// Options and arguments
inline constexpr Phrase passwordOption{
    u"Use PASSWORD (at most 20 letters and digits). Other users of the machine can see it; "
    u"prefer --password-file or --ask-password.",
    u"使用密码 PASSWORD（最多 20 个字母和数字）。本机的其他用户能看到它；"
    u"最好改用 --password-file 或 --ask-password。"};
inline constexpr Phrase passwordFileOption{
    u"Read the password from the first line of FILE ('-': standard input).",
    u"从文件 FILE 的第一行读取密码（“-”表示标准输入）。"};
inline constexpr Phrase askPasswordOption{
    u"Ask for the password on the terminal, without echo; twice for encrypt --protect.",
    u"在终端上询问密码，输入时不显示；encrypt --protect 时问两次。"};
inline constexpr Phrase inputOption{
    u"Read the text, UTF-8, from TEXT_FILE ('-' or no -i: standard input).",
    u"从 TEXT_FILE 读取文字，UTF-8 编码（“-”或不用 -i：标准输入）。"};
inline constexpr Phrase outputOption{
    u"Write the picture to PICTURE ('-': standard output): PNG for a name ending in .png, "
    u"BMP for one ending in .bmp, else BMP (PNG with --robust).",
    u"把图片写到 PICTURE（“-”表示标准输出）：名字以 .png 结尾时写 PNG，以 .bmp 结尾时写 BMP，"
    u"否则写 BMP（加 --robust 时写 PNG）。"};
inline constexpr Phrase formatOption{
    u"Write the picture as FORMAT, bmp or png, whatever PICTURE's name; a name ending in "
    u"another format's extension is refused.",
    u"把图片写成 FORMAT 格式（bmp 或 png），不看 PICTURE 的名字；名字的扩展名是别的格式时拒绝。"};
inline constexpr Phrase forceOption{u"Replace PICTURE if it exists.", u"PICTURE 已存在时替换它。"};
inline constexpr Phrase protectOption{
    u"Make a protected picture: the text, UTF-8, truly encrypted with the password "
    u"(Argon2id and XChaCha20-Poly1305). Needs a password; versions of Veltrin without "
    u"this cannot open it.",
    u"生成受保护的图片：文字（UTF-8）用密码真正加密（Argon2id 和 XChaCha20-Poly1305）。"
    u"必须有密码；没有这项功能的 Veltrin 版本打不开它。"};
inline constexpr Phrase robustOption{
    u"Make a robust picture (经得起转发): black and white squares that survive JPEG, scaling "
    u"and chat programs, the text in UTF-8; written as PNG unless the name or --format says "
    u"BMP. With --protect it carries a protected picture.",
    u"生成经得起转发的图片：黑白方块，经得起 JPEG 压缩、缩放和聊天软件转发，文字按 UTF-8 保存；"
    u"除非名字或 --format 要求 BMP，否则写成 PNG。与 --protect 一起用时，里面装的是受保护的图片。"};
inline constexpr Phrase requireStrongOption{
    u"With --protect, refuse a weak password instead of warning about it: one of fewer than "
    u"8 characters, or one that zxcvbn expects to be found in fewer than 2^40 guesses.",
    u"与 --protect 一起用：遇到弱密码时拒绝加密，而不只是警告。弱密码指不到 8 个字符，"
    u"或者 zxcvbn 估计不到 2^40 次就能试出来的密码。"};
inline constexpr Phrase crlfOption{u"Write each line break as CR LF, exactly as decoded.",
                                   u"换行照解出的原样写成 CR LF。"};
inline constexpr Phrase pictureArgument{u"The picture ('-': standard input).",
                                        u"图片（“-”表示标准输入）。"};

// Passwords
inline constexpr Phrase passwordTooLong{u"the password has %1 characters; at most 20 are allowed",
                                        u"密码有 %1 个字符；最多只能有 20 个"};
inline constexpr Phrase passwordCharacter{
    u"the password may hold only the letters A-Z and a-z and the digits 0-9; "
    u"character %1 is %2",
    u"密码只能包含字母 A-Z、a-z 和数字 0-9；第 %1 个字符是 %2"};
inline constexpr Phrase passwordOptions{u"give only one of -p, --password-file and --ask-password",
                                        u"-p、--password-file 和 --ask-password 只能用其中一个"};
inline constexpr Phrase standardInputTwice{
    u"standard input ('-') can give only one thing: the text, the picture or the password",
    u"标准输入（“-”）只能提供一样东西：文字、图片或密码"};
inline constexpr Phrase noTerminal{u"--ask-password needs a terminal", u"--ask-password 需要终端"};
inline constexpr Phrase passwordPrompt{u"Password: ", u"密码："};
inline constexpr Phrase passwordAgainPrompt{u"Password again: ", u"再输入一次密码："};
inline constexpr Phrase passwordsDiffer{
    u"the two passwords typed differ; nothing written, try again",
    u"两次输入的密码不一样；没有写任何文件，请再试一次"};

// Reading and writing files
inline constexpr Phrase standardInput{u"standard input", u"标准输入"};
inline constexpr Phrase standardOutput{u"standard output", u"标准输出"};
inline constexpr Phrase streamClosed{u"it was closed when veltrin-cli started",
                                     u"veltrin-cli 启动时它是关闭的"};
inline constexpr Phrase cannotRead{u"cannot read %1: %2", u"无法读取 %1：%2"};
inline constexpr Phrase isFolder{u"it is a folder", u"这是一个文件夹"};
inline constexpr Phrase notRegularFile{u"it is not a regular file (a device, a pipe or a socket)",
                                       u"这不是普通文件（而是设备、管道或套接字）"};
inline constexpr Phrase notProven{u"what reached the disk does not read back as the picture",
                                  u"写到磁盘上的内容读回来和图片不一样"};
inline constexpr Phrase notWritableFile{u"it is not a regular file (a block device or a socket)",
                                        u"这不是普通文件（而是块设备或套接字）"};
inline constexpr Phrase oldFileKept{u"; the old file is unchanged", u"；原来的文件没有改动"};
inline constexpr Phrase filesParted{u"; the old file is now %1, the new picture %2",
                                    u"；原来的文件现在是 %1，新图片是 %2"};
inline constexpr Phrase badWindowsName{
    u"Windows keeps this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with "
    u"any extension) or it ends in a dot or a space: Explorer could not delete such a file; "
    u"choose another name",
    u"Windows 不能用这个名字：CON、PRN、AUX、NUL、COM1 到 COM9、LPT1 到 LPT9 是设备的名字"
    u"（加上扩展名也是），名字也不能以点或空格结尾；这样的文件资源管理器删不掉，请换一个名字"};
inline constexpr Phrase cannotWrite{u"cannot write %1: %2", u"无法写入 %1：%2"};
inline constexpr Phrase destroyingFormat{u"%1 would destroy the picture; use .png or .bmp",
                                         u"%1 会毁掉图片；请用 .png 或 .bmp"};
inline constexpr Phrase unwrittenFormat{u"veltrin-cli does not write %1 pictures; use .png or .bmp",
                                        u"veltrin-cli 不写 %1 图片；请用 .png 或 .bmp"};
inline constexpr Phrase formatNotNamed{
    u"the name says %1, but --format asks for %2; name it .%3 or leave out --format",
    u"名字表明是 %1，但 --format 要求 %2；请改用 .%3 结尾的名字，或去掉 --format"};
inline constexpr Phrase unknownFormat{u"--format takes bmp or png, not '%1'",
                                      u"--format 只能是 bmp 或 png，不能是“%1”"};
inline constexpr Phrase outputExists{u"%1 exists; use --force to replace it",
                                     u"%1 已存在；要替换它请加 --force"};
inline constexpr Phrase missingOutput{
    u"no picture to write: give -o PICTURE ('-': standard output)",
    u"没有指定要写的图片：请用 -o PICTURE（“-”表示标准输出）"};

// The text
inline constexpr Phrase place{u"at position %1 (line %2, column %3)",
                              u"第 %1 个字符处，第 %2 行第 %3 列"};
inline constexpr Phrase notUtf8{u"the text is not valid UTF-8: invalid bytes %1",
                                u"文字不是有效的 UTF-8：无效字节位于%1"};
inline constexpr Phrase textEmpty{u"the text is empty: there is nothing to encrypt",
                                  u"文字是空的：没有可加密的内容"};
// For the classic and protected kinds, and for the robust one, whose limit
// depends on the text.
inline constexpr Phrase textTooLong{
    u"the text has %1 characters, each line break counted as two (CR LF); at most its first "
    u"%2 fit",
    u"文字有 %1 个字符（每个换行按 CR LF 算两个）；最多能放前 %2 个"};
inline constexpr Phrase textFarTooLong{u"the text is longer than 12000 characters",
                                       u"文字超过 12000 个字符"};
inline constexpr Phrase unstorable{
    u"code page 936 cannot store the character %1 %2; --protect or --robust store any character",
    u"代码页 936 无法保存字符 %1（位于%2）；--protect 或 --robust 能保存任何字符"};

// Pictures and the cipher
inline constexpr Phrase cannotReadPicture{u"cannot read %1 as a picture: %2 (error %3)",
                                          u"无法把 %1 读作图片：%2（错误 %3）"};
inline constexpr Phrase fileNotFound{u"file not found", u"文件未找到"};
inline constexpr Phrase invalidPicture{u"invalid picture", u"无效图片"};
inline constexpr Phrase fileAccess{u"path/file access error", u"路径/文件访问错误"};
inline constexpr Phrase lossyPicture{
    u"warning: %1 is a lossy %2 picture; its pixels may have changed",
    u"警告：%1 是有损压缩的 %2 图片，像素可能已经改变"};
inline constexpr Phrase incompletePicture{
    u"warning: %1 is incomplete: the file stops early and the rest of the picture was filled in",
    u"警告：%1 图片不完整：文件提前结束，缺的部分是补上去的"};
inline constexpr Phrase blankPicture{u"the picture is blank: there is nothing to decrypt",
                                     u"图片是空白的：没有可解密的内容"};
inline constexpr Phrase runtimeError{u"run-time error %1: %2", u"运行时错误 %1：%2"};
inline constexpr Phrase invalidCall{u"invalid procedure call or argument", u"无效的过程调用或参数"};
inline constexpr Phrase overflow{u"overflow", u"溢出"};
inline constexpr Phrase outOfRange{
    u"subscript out of range: the picture cannot hold the text its header claims",
    u"下标越界：图片容不下它标明的文字"};
inline constexpr Phrase becauseWrongPassword{
    u"%1 (a wrong password, or a picture Veltrin did not make)",
    u"%1（密码不对，或者图片不是 Veltrin 生成的）"};
inline constexpr Phrase becauseNoPassword{
    u"%1 (a picture made with a password, which decrypt needs: give it with -p, --password-file "
    u"or --ask-password; or a picture Veltrin did not make)",
    u"%1（图片加密时设了密码，解密时要给出同一个密码：请用 -p、--password-file 或 "
    u"--ask-password；或者图片不是 Veltrin 生成的）"};
inline constexpr Phrase noText{u"the picture's header gives no text; the password may be wrong",
                               u"图片头部表明没有文字；密码可能不对"};
inline constexpr Phrase noTextForAnyPassword{
    u"the picture's header gives no text, whatever the password: it is a picture Veltrin did not "
    u"make, or a robust one damaged, scaled down or cropped too much to be recognised",
    u"图片头部表明没有文字，用什么密码都一样：图片不是 Veltrin 生成的，"
    u"或者是一张损坏、缩小或裁剪得太多、认不出来的经得起转发的图片"};

// Protected pictures
inline constexpr Phrase protectNeedsPassword{
    u"--protect needs a password: give -p, --password-file or --ask-password",
    u"--protect 需要密码：请用 -p、--password-file 或 --ask-password"};
inline constexpr Phrase protectedNeedsPassword{
    u"%1 is a protected picture: give its password with -p, --password-file or --ask-password",
    u"%1 是受保护的图片：请用 -p、--password-file 或 --ask-password 给出它的密码"};
inline constexpr Phrase notAuthentic{u"wrong password, or the picture has been changed",
                                     u"密码不对，或者图片被改动过"};
inline constexpr Phrase changedFill{
    u"the protected picture has been changed (the pixels after the sealed text are not blank)",
    u"受保护的图片被改动过（密文后面本该空白的像素不是空白）"};
inline constexpr Phrase notConforming{
    u"the password is right, but the protected picture was made by a program that does not "
    u"follow the format",
    u"密码是对的，但这张受保护的图片是由不遵循格式的程序生成的"};
inline constexpr Phrase emptyText{u"the picture holds an empty text", u"图片里的文字是空的"};
inline constexpr Phrase damaged{
    u"the protected picture is incomplete or has been changed (its size or header is wrong)",
    u"受保护的图片不完整，或者被改动过（尺寸或头部不对）"};
inline constexpr Phrase tooCostly{
    u"the picture asks for more key derivation than this version allows (%1 passes, %2 MiB); "
    u"refused without trying",
    u"图片要求的密钥计算量超过了这个版本的上限（%1 遍、%2 MiB），没有尝试解密"};
inline constexpr Phrase newerVersion{
    u"the protected picture was made by a newer version of Veltrin",
    u"这张受保护的图片是更新版本的 Veltrin 生成的"};
inline constexpr Phrase outOfMemory{u"not enough memory for the key derivation (%1 MiB)",
                                    u"内存不够，无法计算密钥（需要 %1 MiB）"};

// Robust pictures
inline constexpr Phrase robustUnusedPassword{
    u"a robust picture without --protect keeps no password and anyone can read it; add "
    u"--protect to seal the text with the password, or leave the password out",
    u"不加 --protect 的经得起转发的图片不用密码，谁都能读；要用密码加密文字请加 --protect，"
    u"否则去掉密码"};
inline constexpr Phrase robustDamaged{
    u"the robust picture is too damaged (compressed, scaled down or cropped too much) to read "
    u"the text; ask for the original picture and try again",
    u"这张经得起转发的图片损坏得太厉害（压缩、缩小或裁剪得太多），读不出文字。请让对方发送原图再试"
    u"。"};
inline constexpr Phrase robustNotConforming{
    u"the robust picture was made by a program that does not follow the format; its text "
    u"cannot be read",
    u"这张经得起转发的图片是由不遵循格式的程序生成的，里面的文字无法读出。"};
inline constexpr Phrase robustNewer{
    u"the robust picture was made by a newer version of Veltrin, which this version cannot "
    u"read; update Veltrin",
    u"这张经得起转发的图片是更新版本的 Veltrin 做的，这个版本读不了。请更新 Veltrin。"};

// Weak passwords for protected pictures
inline constexpr Phrase requireStrongNeedsProtect{
    u"--require-strong goes with --protect: a classic picture's password does not protect the text",
    u"--require-strong 要和 --protect 一起用：普通图片的密码并不能保护文字"};
inline constexpr Phrase weakPassword{
    u"this password could be found in %1 by an attacker who tries %3 passwords a second "
    u"(about %4 cores at this version's Argon2id cost)%2; a strong one has at least %5 "
    u"characters and takes more than 2^%6 guesses, such as 12 or more random letters and digits",
    u"这个密码%1就能被试出来（按每秒能试 %3 个密码的攻击者估算，按这个版本的 Argon2id "
    u"计算量约需 %4 个处理器核）%2；好的密码至少 %5 个字符，要试 2^%6 次以上，"
    u"例如 12 个以上随机的字母和数字"};
inline constexpr Phrase requireStrongLengthOption{
    u"With --protect, refuse a weak password instead of warning about it: one of fewer than "
    u"8 characters.",
    u"与 --protect 一起用：遇到弱密码时拒绝加密，而不只是警告。弱密码指不到 8 个字符的密码。"};
inline constexpr Phrase shortPassword{
    u"this password has only %1 characters and is easy to find; a strong one has at least %2 "
    u"characters, such as 12 or more random letters and digits",
    u"这个密码只有 %1 个字符，很容易被试出来；好的密码至少 %2 个字符，"
    u"例如 12 个以上随机的字母和数字"};
inline constexpr Phrase tooShort{
    u", and with fewer than %1 characters it falls sooner to an attacker with more cores",
    u"，而且它不到 %1 个字符，攻击者多用一些计算机就能更快试出来"};
inline constexpr Phrase weakWarning{u"warning: %1; encrypting anyway (--require-strong refuses it)",
                                    u"警告：%1；仍然加密（加 --require-strong 则拒绝）"};
inline constexpr Phrase weakRefused{u"%1; refused (--require-strong), nothing written",
                                    u"%1；已拒绝（--require-strong），没有写任何文件"};
inline constexpr Phrase underASecond{u"under a second", u"不到 1 秒"};
inline constexpr Phrase aboutTime{u"about %1 %2", u"大约 %1 %2"};
inline constexpr Phrase second{u"second", u"秒"};
inline constexpr Phrase seconds{u"seconds", u"秒"};
inline constexpr Phrase minute{u"minute", u"分钟"};
inline constexpr Phrase minutes{u"minutes", u"分钟"};
inline constexpr Phrase hour{u"hour", u"小时"};
inline constexpr Phrase hours{u"hours", u"小时"};
inline constexpr Phrase day{u"day", u"天"};
inline constexpr Phrase days{u"days", u"天"};
inline constexpr Phrase year{u"year", u"年"};
inline constexpr Phrase years{u"years", u"年"};

// info
inline constexpr Phrase infoKind{u"kind: %1", u"类型：%1"};
inline constexpr Phrase kindClassic{u"classic", u"普通"};
inline constexpr Phrase kindClassicWithPassword{
    u"classic, made with a password (decrypt needs it: -p, --password-file or --ask-password)",
    u"普通，加密时设了密码（解密时要给出它：-p、--password-file 或 --ask-password）"};
inline constexpr Phrase kindProtected{u"protected, format version %1", u"受保护，格式版本 %1"};
inline constexpr Phrase infoKdf{u"key derivation: Argon2id, %1 passes, %2 KiB",
                                u"密钥派生：Argon2id，%1 遍，%2 KiB"};
inline constexpr Phrase infoPadded{u"padded text: %1 bytes", u"补齐后的文字：%1 字节"};
inline constexpr Phrase infoProblem{u"opens with this version: %1", u"这个版本能打开：%1"};
inline constexpr Phrase kindRobust{u"robust (经得起转发)", u"经得起转发"};
inline constexpr Phrase formatVersion{u"%1, format version %2", u"%1，格式版本 %2"};
inline constexpr Phrase infoGrid{u"grid: %1 x %1 modules of about %2 pixels",
                                 u"网格：%1 x %1 个方块，每个约 %2 像素"};
inline constexpr Phrase infoPlace{u"found at: %1, %2, %3 x %4 pixels",
                                  u"位置：%1, %2，%3 x %4 像素"};
inline constexpr Phrase infoParity{u"error correction: %1 parity bytes per block",
                                   u"纠错：每块 %1 个校验字节"};
inline constexpr Phrase infoPacking{u"packing: %1", u"打包方式：%1"};
inline constexpr Phrase packingPlain{u"plain UTF-8", u"UTF-8 原样"};
inline constexpr Phrase packingZstd{u"zstd", u"zstd"};
inline constexpr Phrase packingSealed{u"sealed, a protected picture:",
                                      u"密封，装着一张受保护的图片："};
inline constexpr Phrase infoSize{u"size: %1 x %2 pixels", u"尺寸：%1 x %2 像素"};
inline constexpr Phrase infoHeader{u"header: %1 %2 %3", u"头部数值：%1 %2 %3"};
inline constexpr Phrase infoComplete{u"complete cipher picture for the empty password: %1",
                                     u"无密码的完整加密图片：%1"};
inline constexpr Phrase yes{u"yes", u"是"};
inline constexpr Phrase noBecause{u"no (%1)", u"否（%1）"};
inline constexpr Phrase blank{u"blank", u"空白"};
inline constexpr Phrase foreignHeader{u"the header is not one Veltrin writes",
                                      u"头部数值不是 Veltrin 写的"};
inline constexpr Phrase passwordHeader{u"it needs its password", u"要有加密时设的密码"};
inline constexpr Phrase cellsOutside{u"its cells run past the picture", u"文字的像素超出了图片"};

} // namespace phrase
} // namespace veltrin::cli
