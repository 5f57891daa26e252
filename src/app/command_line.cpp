#include "app/command_line.h"

namespace morvane {

namespace {

bool Separates(wchar_t c) { return c <= L' '; }

}  // namespace

std::vector<std::wstring> SplitArguments(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    size_t i = 0;
    const size_t end = commandLine.size();
    while (true) {
        while (i < end && Separates(commandLine[i])) ++i;
        if (i == end) break;
        std::wstring argument;
        bool quoted = false;
        for (; i < end && (quoted || !Separates(commandLine[i])); ++i) {
            if (commandLine[i] == L'"')
                quoted = !quoted;
            else
                argument += commandLine[i];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::vector<std::wstring> ProgramArguments(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments = SplitArguments(commandLine);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

std::wstring CommandLineFolder(const std::vector<std::wstring>& arguments) {
    std::wstring folder;
    for (const std::wstring& argument : arguments) folder += argument + L' ';
    if (!folder.empty()) folder.pop_back();
    return folder;
}

}  // namespace morvane
