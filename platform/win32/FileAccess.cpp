#include "platform/win32/FileAccess.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/WideText.h"

namespace fwu::platform::win32 {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle(handle) {}
    ~Handle() {
        if (Valid()) {
            ::CloseHandle(handle);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle; }
    bool Valid() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

// Opens for reading; a folder opens too (FILE_FLAG_BACKUP_SEMANTICS), so it can be told apart.
HANDLE OpenForReading(const std::string& path) {
    return ::CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::optional<FileIdentity> IdentityOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
    if (!::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

std::string OwnModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return ToUtf8(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 4);  // cut off: the path is longer than the buffer
    }
    return {};
}

WholeFile ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
    WholeFile file;
    if (path.empty()) {
        return file;
    }
    const Handle handle(OpenForReading(path));
    if (!handle.Valid()) {
        return file;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = ::GetFileType(handle.Get()) == FILE_TYPE_DISK;
    file.identity = disk ? IdentityOf(handle.Get(), info) : std::nullopt;
    if (!disk || !file.identity || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        file.status = WholeFileStatus::NotRegular;
        return file;
    }
    const std::int64_t size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) {
        file.status = WholeFileStatus::TooLarge;
        return file;
    }
    // One byte past the limit at most, in case the file grows while it is read.
    std::string data(static_cast<std::size_t>(std::min(size, maxBytes)) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (static_cast<std::int64_t>(filled) > maxBytes) {
                file.status = WholeFileStatus::TooLarge;
                return file;
            }
            data.resize(std::min<std::size_t>(data.size() * 2, static_cast<std::size_t>(maxBytes) + 1));
        }
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - filled, 1u << 30));
        if (!::ReadFile(handle.Get(), data.data() + filled, chunk, &got, nullptr)) {
            return file;
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    data.resize(filled);
    file.data = std::move(data);
    file.status = WholeFileStatus::Ok;
    return file;
}

std::optional<FileIdentity> IdentifyPath(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const Handle handle(OpenForReading(path));
    BY_HANDLE_FILE_INFORMATION info{};
    return handle.Valid() ? IdentityOf(handle.Get(), info) : std::nullopt;
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes) {
    const std::wstring target = ToWide(path);
    if (target.empty()) {
        return false;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring temporary =
            target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        bool written = false;
        {
            const Handle out(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!out.Valid()) {
                if (::GetLastError() == ERROR_FILE_EXISTS) {
                    continue;
                }
                return false;
            }
            written = true;
            for (std::string_view rest = bytes; written && !rest.empty();) {
                DWORD wrote = 0;
                const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 30));
                written = ::WriteFile(out.Get(), rest.data(), chunk, &wrote, nullptr) && wrote > 0;
                rest.remove_prefix(written ? wrote : rest.size());
            }
            written = written && ::FlushFileBuffers(out.Get());
        }
        if (written && ::MoveFileExW(temporary.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}

}  // namespace fwu::platform::win32
