#include "FileException.h"

namespace {

const wchar_t* const kCauseTexts[] = {
    L"エラーはありませんでした。",
    L"%1 へのアクセス中に不明なエラーが発生しました。",
    L"%1 が見つかりませんでした。",
    L"%1 に正しくないパスが含まれています。",
    L"開いているファイルが多すぎるため、%1 を開けませんでした。",
    L"%1 へのアクセスは拒否されました。",
    L"正しくないファイル ハンドルが %1 に関連付けられていました。",
    L"現在のディレクトリ %1 は削除できませんでした。",
    L"%1 を作成できませんでした。そのディレクトリはいっぱいです。",
    L"%1 のシークに失敗しました。",
    L"%1 へのアクセス中にハードウェア I/O エラーが報告されました。",
    L"%1 へのアクセス中に共有違反が発生しました。",
    L"%1 へのアクセス中にロック違反が発生しました。",
    L"%1 へのアクセス中にディスクがいっぱいになりました。",
    L"%1 の末尾以降にアクセスしようとしました。",
};
static_assert(sizeof(kCauseTexts) / sizeof(kCauseTexts[0]) == CFileException::endOfFile + 1, "one text per cause");

const wchar_t* const kUntitledFile = L"無題のファイル";

struct OsErrorCause {
    LONG osError;
    CFileException::Cause cause;
};

// The framework's classic mapping of system error codes to file error kinds.
const OsErrorCause kOsErrorCauses[] = {
    {NO_ERROR, CFileException::none},
    {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
    {ERROR_PATH_NOT_FOUND, CFileException::badPath},
    {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
    {ERROR_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_INVALID_HANDLE, CFileException::fileNotFound},
    {ERROR_BAD_FORMAT, CFileException::invalidFile},
    {ERROR_INVALID_ACCESS, CFileException::accessDenied},
    {ERROR_INVALID_DRIVE, CFileException::badPath},
    {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
    {ERROR_NOT_SAME_DEVICE, CFileException::badPath},
    {ERROR_NO_MORE_FILES, CFileException::fileNotFound},
    {ERROR_WRITE_PROTECT, CFileException::accessDenied},
    {ERROR_BAD_UNIT, CFileException::hardIO},
    {ERROR_NOT_READY, CFileException::hardIO},
    {ERROR_BAD_COMMAND, CFileException::hardIO},
    {ERROR_CRC, CFileException::hardIO},
    {ERROR_BAD_LENGTH, CFileException::badSeek},
    {ERROR_SEEK, CFileException::badSeek},
    {ERROR_NOT_DOS_DISK, CFileException::invalidFile},
    {ERROR_SECTOR_NOT_FOUND, CFileException::badSeek},
    {ERROR_WRITE_FAULT, CFileException::accessDenied},
    {ERROR_READ_FAULT, CFileException::badSeek},
    {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
    {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
    {ERROR_WRONG_DISK, CFileException::badSeek},
    {ERROR_SHARING_BUFFER_EXCEEDED, CFileException::tooManyOpenFiles},
    {ERROR_HANDLE_EOF, CFileException::endOfFile},
    {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
    {ERROR_DUP_NAME, CFileException::badPath},
    {ERROR_BAD_NETPATH, CFileException::badPath},
    {ERROR_NETWORK_BUSY, CFileException::accessDenied},
    {ERROR_DEV_NOT_EXIST, CFileException::badPath},
    {ERROR_ADAP_HDW_ERR, CFileException::hardIO},
    {ERROR_BAD_NET_RESP, CFileException::accessDenied},
    {ERROR_UNEXP_NET_ERR, CFileException::hardIO},
    {ERROR_BAD_REM_ADAP, CFileException::invalidFile},
    {ERROR_NO_SPOOL_SPACE, CFileException::directoryFull},
    {ERROR_NETNAME_DELETED, CFileException::accessDenied},
    {ERROR_NETWORK_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_BAD_DEV_TYPE, CFileException::invalidFile},
    {ERROR_BAD_NET_NAME, CFileException::badPath},
    {ERROR_TOO_MANY_NAMES, CFileException::tooManyOpenFiles},
    {ERROR_SHARING_PAUSED, CFileException::badPath},
    {ERROR_REQ_NOT_ACCEP, CFileException::accessDenied},
    {ERROR_FILE_EXISTS, CFileException::accessDenied},
    {ERROR_CANNOT_MAKE, CFileException::accessDenied},
    {ERROR_ALREADY_ASSIGNED, CFileException::badPath},
    {ERROR_INVALID_PASSWORD, CFileException::accessDenied},
    {ERROR_NET_WRITE_FAULT, CFileException::hardIO},
    {ERROR_DISK_CHANGE, CFileException::fileNotFound},
    {ERROR_DRIVE_LOCKED, CFileException::lockViolation},
    {ERROR_BUFFER_OVERFLOW, CFileException::badPath},
    {ERROR_DISK_FULL, CFileException::diskFull},
    {ERROR_NO_MORE_SEARCH_HANDLES, CFileException::tooManyOpenFiles},
    {ERROR_INVALID_TARGET_HANDLE, CFileException::invalidFile},
    {ERROR_INVALID_CATEGORY, CFileException::hardIO},
    {ERROR_INVALID_NAME, CFileException::badPath},
    {ERROR_INVALID_LEVEL, CFileException::badPath},
    {ERROR_NO_VOLUME_LABEL, CFileException::badPath},
    {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
    {ERROR_SEEK_ON_DEVICE, CFileException::badSeek},
    {ERROR_DIR_NOT_ROOT, CFileException::badPath},
    {ERROR_DIR_NOT_EMPTY, CFileException::removeCurrentDir},
    {ERROR_LABEL_TOO_LONG, CFileException::badPath},
    {ERROR_BAD_PATHNAME, CFileException::badPath},
    {ERROR_LOCK_FAILED, CFileException::lockViolation},
    {ERROR_BUSY, CFileException::accessDenied},
    {ERROR_INVALID_ORDINAL, CFileException::invalidFile},
    {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
    {ERROR_INVALID_EXE_SIGNATURE, CFileException::invalidFile},
    {ERROR_BAD_EXE_FORMAT, CFileException::invalidFile},
    {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
    {ERROR_META_EXPANSION_TOO_LONG, CFileException::badPath},
    {ERROR_DIRECTORY, CFileException::badPath},
    {ERROR_OPERATION_ABORTED, CFileException::hardIO},
    {ERROR_IO_INCOMPLETE, CFileException::hardIO},
    {ERROR_IO_PENDING, CFileException::hardIO},
    {ERROR_SWAPERROR, CFileException::accessDenied},
};

} // namespace

std::wstring CFileException::GetErrorMessage() const
{
    std::wstring text = kCauseTexts[m_cause];
    const std::wstring name = m_fileName.empty() ? kUntitledFile : m_fileName;
    size_t at = text.find(L"%1");
    if (at != std::wstring::npos)
        text.replace(at, 2, name);
    return text;
}

CFileException::Cause CFileException::OsErrorToCause(LONG osError)
{
    for (const OsErrorCause& entry : kOsErrorCauses) {
        if (entry.osError == osError)
            return entry.cause;
    }
    return genericException;
}

void CFileException::ThrowOsError(LONG osError, const std::wstring& fileName)
{
    throw CFileException(OsErrorToCause(osError), osError, fileName);
}
