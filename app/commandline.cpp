#include "app/commandline.h"

const char* const UsageText =
    "Использование: mkb10 [КОД]\n"
    "Справочник МКБ-10. С кодом открывает его рубрику. Код пишется как в строке поиска:\n"
    "с точкой или без неё (J10.1, j101, J10,1), латинскими или русскими буквами (с00.0),\n"
    "с отметкой † или * или без неё. Неизвестный код называется в строке состояния.\n"
    "\n"
    "  -h, --help   показать эту справку и выйти\n"
    "  --version    показать версию программы и выйти\n"
    "  --self-check  открыть окно, напечатать число классов и выйти (проверка сборки)\n";

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine cl;
    auto error = [&](std::string text) {
        cl.Action = TCommandLine::clError;
        cl.Error = std::move(text);
        return cl;
    };
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            cl.Action = TCommandLine::clHelp;
            continue;
        }
        if (arg == "--version") {
            if (cl.Action != TCommandLine::clHelp)
                cl.Action = TCommandLine::clVersion;
            continue;
        }
        if (arg == "--self-check") {
            cl.SelfCheck = true;
            continue;
        }
        if (!arg.empty() && arg[0] == '-')
            return error("неизвестный параметр «" + arg + "»");
        if (arg.find_first_not_of(" \t") == std::string::npos)
            return error("пустой код");
        if (!cl.Code.empty())
            return error("лишний аргумент «" + arg + "»: программа открывает один код");
        cl.Code = arg;
    }
    return cl;
}
