#include "player/shell/CommandLine.h"

#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

#include "framework/win/ScopedHandle.h"
#include "player/shell/Link.h"

namespace {

void LowerInPlace(std::wstring& text) {
    for (wchar_t& c : text)
        c = towlower(c);
}

}  // namespace

void SplitCommandLine(const wchar_t* commandLine, CommandLineArgs& args) {
    int count = 0;
    ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(commandLine, &count));
    if (!argv)
        return;
    if (count >= 2) {
        args.program = argv[0];
        args.first = argv[1];
    }
    if (count >= 3)
        args.second = argv[2];
}

bool IsLinkRequest(CommandLineArgs& args) {
    LowerInPlace(args.first);
    const std::wstring scheme = kLinkScheme;
    return args.first == L"-trova" && args.second.size() > scheme.size() &&
           args.second.compare(0, scheme.size(), scheme) == 0;
}

std::wstring RequestedLink(CommandLineArgs& args) {
    LinkInfo link;
    if (!IsLinkRequest(args) || !ParseLink(args.second, link))
        return std::wstring();
    return ComposeLink(link);
}

bool IsStartMinimised(CommandLineArgs& args) {
    LowerInPlace(args.first);
    return args.first == L"-startmin";
}
