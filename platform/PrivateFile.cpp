#include "platform/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

#include "platform/FileDescriptor.h"

namespace fwu::platform {
namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Empty when the open file or folder is this user's and no one else may write it.
std::string OwnershipProblem(const struct stat& info, const char* what) {
    if (info.st_uid != ::geteuid()) {
        return std::string(what) + " belongs to another user";
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return std::string(what) + " may be written by other users";
    }
    return {};
}

// Opens the file's folder (made when missing); with `check`, refused unless it is this user's own.
FileDescriptor OpenFolder(const std::string& path, bool check, OwnFileAppend& result) {
    const std::string folder = FolderOf(path);
    if (!MakePrivateFolders(folder)) {
        result.reason = "its folder cannot be made";
        return {};
    }
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (check ? O_NOFOLLOW : 0)));
    if (!fd.Valid()) {
        const bool link = errno == ELOOP || (errno == ENOTDIR && LookAtPath(folder).isLink);
        result.status = link ? OwnFileStatus::Refused : OwnFileStatus::Failed;
        result.reason = link ? "its folder is a symbolic link" : "its folder cannot be opened";
        return {};
    }
    struct stat info {};
    if (check &&
        (::fstat(fd.Get(), &info) != 0 || !(result.reason = OwnershipProblem(info, "its folder")).empty())) {
        result.status = OwnFileStatus::Refused;
        if (result.reason.empty()) {
            result.reason = "its folder cannot be examined";
        }
        return {};
    }
    return fd;
}

// Opens the file in the open folder and checks it on its descriptor.
FileDescriptor OpenOwnFileAt(int folder, const std::string& name, int flags, OwnFileAppend& result) {
    FileDescriptor fd(
        ::openat(folder, name.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
    if (!fd.Valid()) {
        const int error = errno;
        // What the path is, or who may write it, will not change by trying again; running short will.
        const bool lasting = error == ELOOP || error == ENXIO || error == EISDIR || error == EACCES ||
                             error == EPERM || error == EROFS || error == ETXTBSY;
        result.status = lasting ? OwnFileStatus::Refused : OwnFileStatus::Failed;
        result.reason = error == ELOOP    ? "it is a symbolic link"
                        : error == ENXIO  ? "it is not a regular file"
                        : error == EISDIR ? "it is a folder"
                        : error == EACCES ? "it may not be written"
                                          : "it cannot be opened";
        return {};
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        result.reason = "it cannot be examined";
    } else if (!S_ISREG(info.st_mode)) {
        result.reason = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
    } else {
        result.reason = OwnershipProblem(info, "it");
    }
    if (!result.reason.empty()) {
        result.status = OwnFileStatus::Refused;
        return {};
    }
    return fd;
}

}  // namespace

bool MakePrivateFolders(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    // Each prefix ending before a slash, then the whole path.
    for (std::size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && folder[end] != '/') {
            continue;
        }
        const std::string prefix = folder.substr(0, end);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

OwnFileAppend AppendToOwnFile(const std::string& path, std::string_view bytes, bool checkFolder) {
    OwnFileAppend result;
    const FileDescriptor folder = OpenFolder(path, checkFolder, result);
    if (!folder.Valid()) {
        return result;
    }
    const FileDescriptor fd =
        OpenOwnFileAt(folder.Get(), NameOf(path), O_WRONLY | O_APPEND | O_CREAT, result);
    if (!fd.Valid()) {
        return result;
    }
    struct stat info {};
    if (!WriteAll(fd.Get(), bytes.data(), bytes.size()) || ::fstat(fd.Get(), &info) != 0) {
        result.status = OwnFileStatus::Failed;
        result.reason = "a line could not be written";
        return result;
    }
    result.status = OwnFileStatus::Written;
    result.size = static_cast<std::int64_t>(info.st_size);
    return result;
}

bool RewriteOwnFileTail(const std::string& path, std::int64_t tailBytes,
                        const std::function<std::string_view(std::string_view)>& keep) {
    OwnFileAppend result;
    const FileDescriptor folder = OpenFolder(path, true, result);
    if (!folder.Valid()) {
        return false;
    }
    const std::string name = NameOf(path);
    const FileDescriptor fd = OpenOwnFileAt(folder.Get(), name, O_RDONLY, result);
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) {
        return false;
    }
    const std::int64_t start = info.st_size > tailBytes ? info.st_size - tailBytes : 0;
    std::vector<char> buffer(static_cast<std::size_t>(info.st_size - start));
    const ssize_t have = ReadUpToAt(fd.Get(), buffer.data(), buffer.size(), start);
    if (have < 0) {
        return false;
    }
    const std::string_view kept = keep(std::string_view(buffer.data(), static_cast<std::size_t>(have)));
    // The folder is this user's alone, so a name made unique within the process cannot be taken first.
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        name + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    FileDescriptor out(::openat(folder.Get(), temporary.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!out.Valid()) {
        return false;
    }
    const bool written = WriteAll(out.Get(), kept.data(), kept.size()) && ::fsync(out.Get()) == 0;
    const bool closed = out.Close();
    if (!written || !closed || ::renameat(folder.Get(), temporary.c_str(), folder.Get(), name.c_str()) != 0) {
        ::unlinkat(folder.Get(), temporary.c_str(), 0);
        return false;
    }
    return true;
}

PathFacts LookAtPath(const std::string& path) {
    PathFacts facts;
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) {
        return facts;
    }
    facts.exists = true;
    facts.isLink = S_ISLNK(info.st_mode);
    facts.isFolder = S_ISDIR(info.st_mode);
    facts.owner = static_cast<std::uint32_t>(info.st_uid);
    facts.mode = static_cast<std::uint32_t>(info.st_mode & 07777);
    return facts;
}

std::uint32_t EffectiveUser() {
    return static_cast<std::uint32_t>(::geteuid());
}

}  // namespace fwu::platform
