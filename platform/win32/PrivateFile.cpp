// The attempt log's files on Windows. The log lives under the user's %LOCALAPPDATA%, whose inherited
// access list already gives the user alone (with the system and administrators) access, so new folders
// and files take that list. A name that is a link or junction (a reparse point) is refused, not followed,
// and so is anything that is not a plain file on disk; appends go to the end of the file in one write.
#include "platform/PrivateFile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/win32/WideText.h"

namespace fwu::platform {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (Valid()) {
            ::CloseHandle(handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle; }
    bool Valid() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsLinkOrNotFolder(const std::wstring& folder) {
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Opens the file at its name itself (a reparse point there is opened, not followed) and checks it.
HANDLE OpenOwnFile(const std::string& path, DWORD access, DWORD disposition, OwnFileAppend& result) {
    HANDLE handle = ::CreateFileW(win32::ToWide(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.status = OwnFileStatus::Failed;
        result.reason = "it cannot be opened (error " + std::to_string(::GetLastError()) + ")";
        return handle;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
    if (!disk || !::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        ::CloseHandle(handle);
        result.status = OwnFileStatus::Refused;
        result.reason = "it is not a regular file";
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(handle, bytes.data(), chunk, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        bytes.remove_prefix(wrote);
    }
    return true;
}

}  // namespace

bool MakePrivateFolders(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    const std::wstring wide = win32::ToWide(folder);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    const std::string parent = FolderOf(folder);
    // "C:" is a drive, not a folder to make.
    if (!parent.empty() && !(parent.size() == 2 && parent[1] == ':') && !MakePrivateFolders(parent)) {
        return false;
    }
    return ::CreateDirectoryW(wide.c_str(), nullptr) != 0 || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

OwnFileAppend AppendToOwnFile(const std::string& path, std::string_view bytes, bool checkFolder) {
    OwnFileAppend result;
    const std::string folder = FolderOf(path);
    if (folder.empty() || !MakePrivateFolders(folder)) {
        result.reason = "its folder cannot be made";
        return result;
    }
    if (checkFolder && IsLinkOrNotFolder(win32::ToWide(folder))) {
        result.status = OwnFileStatus::Refused;
        result.reason = "its folder is a link or not a folder";
        return result;
    }
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end of the file.
    const FileHandle file(OpenOwnFile(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, OPEN_ALWAYS, result));
    if (!file.Valid()) {
        return result;
    }
    LARGE_INTEGER size{};
    if (!WriteAll(file.Get(), bytes) || !::GetFileSizeEx(file.Get(), &size)) {
        result.status = OwnFileStatus::Failed;
        result.reason = "it cannot be written (error " + std::to_string(::GetLastError()) + ")";
        return result;
    }
    result.status = OwnFileStatus::Written;
    result.size = size.QuadPart;
    result.reason.clear();
    return result;
}

bool RewriteOwnFileTail(const std::string& path, std::int64_t tailBytes,
                        const std::function<std::string_view(std::string_view)>& keep) {
    OwnFileAppend result;
    const std::string folder = FolderOf(path);
    if (folder.empty() || IsLinkOrNotFolder(win32::ToWide(folder))) {
        return false;
    }
    std::vector<char> buffer;
    {
        const FileHandle file(OpenOwnFile(path, GENERIC_READ, OPEN_EXISTING, result));
        LARGE_INTEGER size{};
        if (!file.Valid() || !::GetFileSizeEx(file.Get(), &size) || tailBytes < 0) {
            return false;
        }
        LARGE_INTEGER start{};
        start.QuadPart = size.QuadPart > tailBytes ? size.QuadPart - tailBytes : 0;
        buffer.resize(static_cast<std::size_t>(size.QuadPart - start.QuadPart));
        if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) {
            return false;
        }
        std::size_t have = 0;
        while (have < buffer.size()) {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - have, 1u << 30));
            if (!::ReadFile(file.Get(), buffer.data() + have, chunk, &got, nullptr)) {
                return false;
            }
            if (got == 0) {
                break;
            }
            have += got;
        }
        buffer.resize(have);
    }
    const std::string_view kept = keep(std::string_view(buffer.data(), buffer.size()));
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        path + ".new-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    const std::wstring wideTemporary = win32::ToWide(temporary);
    bool written = false;
    {
        const FileHandle out(::CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        written = out.Valid() && WriteAll(out.Get(), kept) && ::FlushFileBuffers(out.Get());
        if (!out.Valid()) {
            return false;
        }
    }
    if (!written || !::MoveFileExW(wideTemporary.c_str(), win32::ToWide(path).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(wideTemporary.c_str());
        return false;
    }
    return true;
}

}  // namespace fwu::platform
