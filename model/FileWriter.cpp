// Writing a record's times and attribute byte to the chosen files, and the first file's new name.
#include "FileOperate.h"

#include "../framework/Exceptions.h"
#include "../framework/FileException.h"
#include "../framework/WinApp.h"

#include <cwchar>

namespace {

const wchar_t* const kFailureSentence = L"は、ファイルが使用中か権限が足り無い為情報変更不能でした。";
const wchar_t* const kFailureCaption = L"エラーのパス";

// The stamp of a time value, or a file error naming no file when it has none.
FILETIME StampOrThrow(TimeValue value)
{
    FILETIME stamp;
    if (!TimeValueToFileTime(value, &stamp))
        throw CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER);
    return stamp;
}

} // namespace

BOOL CFileOperate::WriteRecord(FileRecord record, bool writeAttributes)
{
    m_failures.RemoveAll();
    CStringArray targets;
    if (m_count <= 1) {
        targets.Add(m_firstPath);
    } else {
        for (int index = 0; index < m_count; ++index) {
            CheckIndex(index);
            targets.Add(m_paths[index]);
        }
    }

    // Files of one folder share a volume and a directory: the volume's naming rules are
    // queried once for them, and the directory listed once instead of searched per file.
    struct ResolutionCacheScope {
        CFileOperate& files;
        ResolutionCacheScope(CFileOperate& owner, const CStringArray& targets) : files(owner)
        {
            files.m_resolutionCache.listings.Prepare(targets);
            files.m_resolutionCacheActive = true;
        }
        ~ResolutionCacheScope()
        {
            files.m_resolutionCacheActive = false;
            files.m_resolutionCache = ResolutionCache(); // the listings' names go with it
        }
    } resolutionCacheScope(*this, targets);

    for (int i = 0; i < targets.GetSize(); ++i) {
        const std::wstring& target = targets[i];
        if (!CanOpenForWrite(target)) {
            m_failures.Add(target);
            continue;
        }
        try {
            WriteRecordToFile(target, record, writeAttributes);
        } catch (const CFileException& error) {
            // The user sees the kind only: the failing file is not named.
            throw CFileException(error.GetCause());
        }
    }
    return m_failures.IsEmpty() ? TRUE : FALSE;
}

BOOL CFileOperate::CanOpenForWrite(std::wstring path) const
{
    if (path.size() >= MAX_PATH)
        return FALSE;
    WCHAR fullPath[MAX_PATH];
    if (!ResolveFullPath(path, fullPath, m_resolutionCacheActive ? &m_resolutionCache : nullptr))
        return FALSE;
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, &security, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

void CFileOperate::WriteRecordToFile(const std::wstring& path, const FileRecord& record, bool writeAttributes)
{
    DWORD current = GetFileAttributesW(path.c_str());
    if (current == INVALID_FILE_ATTRIBUTES)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);

    const DWORD wanted = record.attribute;
    const bool attributesDiffer = writeAttributes && wanted != current;
    const bool wasReadOnly = (current & FILE_ATTRIBUTE_READONLY) != 0;
    // A read-only file takes its new flags first so that its times may be set.
    if (attributesDiffer && wasReadOnly && !SetFileAttributesW(path.c_str(), wanted))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);

    if (record.writeTime != 0 || record.accessTime != 0 || record.createTime != 0) {
        FILETIME write = {}, access = {}, creation = {};
        if (record.writeTime != 0)
            write = StampOrThrow(record.writeTime);
        if (record.accessTime != 0)
            access = StampOrThrow(record.accessTime);
        if (record.createTime != 0)
            creation = StampOrThrow(record.createTime);

        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
        if (!SetFileTime(file, record.createTime != 0 ? &creation : nullptr,
                         record.accessTime != 0 ? &access : nullptr, record.writeTime != 0 ? &write : nullptr)) {
            DWORD error = GetLastError();
            CloseHandle(file);
            CFileException::ThrowOsError(static_cast<LONG>(error), path);
        }
        if (!CloseHandle(file))
            CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
    }

    if (attributesDiffer && !wasReadOnly && !SetFileAttributesW(path.c_str(), wanted))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
}

void CFileOperate::Rename(std::wstring newPath)
{
    if (_wcsicmp(m_firstPath.c_str(), newPath.c_str()) == 0)
        return;
    if (MoveFileW(m_firstPath.c_str(), newPath.c_str()))
        m_firstPath = newPath;
}

void CFileOperate::ReportFailures() const
{
    if (m_failures.IsEmpty())
        return;
    std::wstring text;
    for (int i = 0; i < m_failures.GetSize(); ++i)
        text += m_failures[i] + L"\r\n";
    text += kFailureSentence;
    // Owned by the main dialog, so that it takes no input while the list is shown.
    MessageBoxW(AfxGetMainWndHandle(), text.c_str(), kFailureCaption, MB_OK | MB_ICONERROR);
}
