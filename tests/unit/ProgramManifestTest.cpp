// The declarations that Windows reads from the built programs' manifests. Wine behaves
// alike whatever the manifest declares (it reports per-monitor awareness either way), so
// the declarations are read from the resources of each built .exe.
#include "support/RunningProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The manifest resource of a program, loaded as data (a 64-bit process reads a 32-bit
// program's resources this way too); empty when the program or its manifest is missing.
std::string ManifestOf(const std::wstring& program)
{
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr)
        return std::string();
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        if (HGLOBAL loaded = LoadResource(module, found))
            text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The text of the first element `name` whose opening tag carries `namespaceUri`.
std::string ElementText(const std::string& manifest, const std::string& name, const std::string& namespaceUri)
{
    for (size_t at = manifest.find("<" + name); at != std::string::npos; at = manifest.find("<" + name, at + 1)) {
        const size_t tagEnd = manifest.find('>', at);
        if (tagEnd == std::string::npos)
            break;
        const std::string tag = manifest.substr(at, tagEnd - at);
        if (tag.find("xmlns=\"" + namespaceUri + "\"") == std::string::npos)
            continue;
        const size_t close = manifest.find("</" + name + ">", tagEnd);
        if (close != std::string::npos)
            return manifest.substr(tagEnd + 1, close - tagEnd - 1);
    }
    return std::string();
}

// The program of this build, staged beside the test program, and the other build's
// program that tools/test builds as well (KALENDRIX_OTHER_PROGRAM, a Linux path).
std::vector<std::wstring> BuiltPrograms()
{
    std::vector<std::wstring> programs = {ProgramPath()};
    if (const wchar_t* other = _wgetenv(L"KALENDRIX_OTHER_PROGRAM")) {
        std::wstring path = std::wstring(L"Z:") + other; // Wine's drive Z: is the Linux root
        for (wchar_t& c : path) {
            if (c == L'/')
                c = L'\\';
        }
        programs.push_back(path);
    }
    return programs;
}

} // namespace

TEST(ProgramManifest, DeclaresWindowsVersionsDisplayScaleAndLongPaths)
{
    const char* const kSupportedOs[] = {
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // Windows 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // Windows 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // Windows 10 and 11
    };
    const std::string k2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    const std::string k2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    for (const std::wstring& program : BuiltPrograms()) {
        const std::string where = std::string(program.begin(), program.end());
        if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ADD_FAILURE() << where << " is not built; tools/test builds both programs";
            continue;
        }
        const std::string manifest = ManifestOf(program);
        ASSERT_FALSE(manifest.empty()) << where << " has no manifest resource";
        for (const char* id : kSupportedOs)
            EXPECT_TRUE(Contains(manifest, std::string("<supportedOS Id=\"") + id + "\"/>")) << where << " " << id;
        EXPECT_EQ(ElementText(manifest, "dpiAwareness", k2016), "PerMonitorV2, PerMonitor, System") << where;
        EXPECT_EQ(ElementText(manifest, "dpiAware", k2005), "true/pm") << where;
        EXPECT_EQ(ElementText(manifest, "longPathAware", k2016), "true") << where;
        EXPECT_TRUE(Contains(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"")) << where;
    }
}
