#include "StartupPhases.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

struct Mark {
    const wchar_t* name;
    LONGLONG ticks;
};

Mark g_marks[8];
int g_markCount = 0;
bool g_written = false;

} // namespace

void MarkStartupPhase(const wchar_t* name)
{
    if (g_written || g_markCount == static_cast<int>(sizeof(g_marks) / sizeof(g_marks[0])))
        return;
    for (int i = 0; i < g_markCount; ++i) {
        if (wcscmp(g_marks[i].name, name) == 0)
            return;
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_marks[g_markCount++] = {name, now.QuadPart};
}

void WriteStartupPhases(const wchar_t* variable)
{
    if (g_written)
        return;
    g_written = true;
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(variable, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    FILE* file = _wfopen(path, L"w");
    if (file == nullptr)
        return;
    for (int i = 0; i < g_markCount; ++i)
        fwprintf(file, L"%ls %lld\n", g_marks[i].name, g_marks[i].ticks);
    fclose(file);
}
