#include "app/shell/CommandLine.h"

#include "service/account/PlatformTool.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>

namespace {
const QString autostartName = QStringLiteral("autostart");

struct OptionText
{
    QStringList names;
    QString description;
};

QList<OptionText> optionTexts()
{
    return {
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本帮助并退出")},
        {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("显示版本并退出")},
        {{autostartName},
         QStringLiteral("登录桌面时的自动启动：有自动登录的账号时在托盘中启动并登录（不显示窗口），"
                        "否则立即退出")},
    };
}
} // namespace

QString CommandLine::helpText()
{
    QString text =
        QStringLiteral("用法：prelvane [选项]\nPrelvane 便签：便签与日期、无线网络提醒。\n\n选项：\n");
    for (const OptionText &o : optionTexts()) {
        QStringList shown;
        for (const QString &n : o.names)
            shown << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        text += QStringLiteral("  %1\n      %2\n").arg(shown.join(QStringLiteral(", ")), o.description);
    }
    return text;
}

QString CommandLine::versionText()
{
    return QStringLiteral("prelvane %1\n").arg(PlatformTool::appVersion());
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionText &o : optionTexts())
        parser.addOption(QCommandLineOption(o.names, o.description));

    CommandLine result;
    const QString hint = QStringLiteral("请用 prelvane --help 查看可用的选项。\n");
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("prelvane")} : arguments)) {
        result.m_exits = true;
        result.m_exitCode = 2;
        const QStringList unknown = parser.unknownOptionNames();
        result.m_error =
            unknown.isEmpty()
                ? QStringLiteral("命令行有误：%1\n").arg(parser.errorText()) + hint
                : QStringLiteral("未知的选项：%1\n").arg(unknown.join(QStringLiteral("、"))) + hint;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.m_exits = true;
        result.m_exitCode = 2;
        result.m_error =
            QStringLiteral("多余的参数：%1\n").arg(parser.positionalArguments().join(QLatin1Char(' '))) +
            hint;
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.m_exits = true;
        result.m_output = helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.m_exits = true;
        result.m_output = versionText();
        return result;
    }
    result.m_startInTray = parser.isSet(autostartName);
    return result;
}

std::optional<int> CommandLine::answerEarly(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parse(arguments);
    if (early.exits() && early.exitCode() == 0)
        return early.print();
    return std::nullopt;
}

int CommandLine::print() const
{
    std::fputs(m_output.toLocal8Bit().constData(), stdout);
    std::fputs(m_error.toLocal8Bit().constData(), stderr);
    std::fflush(stdout);
    return m_exitCode;
}
