// The log of every upgrade attempt: one line per step, each beginning with the local time and its offset
// from UTC, appended to a file only the user may read, kept to its newest 1 MiB. Writing it never stops or
// delays an upgrade: a file that is not this user's own regular file (a FIFO, a link, a device, another
// user's or a shared one) is refused, told once, and left alone; a line that cannot be written is dropped.
// Both front ends and the steps they run write to it, from any thread.
//
// Texts are made printable once, here, as a line is written; callers pass them as they came. The secrets
// (the password, its credential) are hidden before anything is cut, in the text as it came and in its
// printable form. A secret of 4 bytes or more is hidden wherever it stands in a line. A shorter one would
// blank the log's own words ("a" in "restarted"), so it is hidden in texts from outside only (those passed
// through Outside), but there at every occurrence: a one-letter password costs the router's texts their
// copies of that letter, which beats leaking it. A text from outside that ends in the first 4 or more
// bytes of a secret (a router's field cut short) has that end hidden too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Sha256.h"

namespace fwu {

struct FirmwareInfo;
struct UploadVerdict;

// The file is kept to at most this many bytes, its newest whole lines.
inline constexpr std::size_t kAttemptLogLimitBytes = 1024 * 1024;
// A text from outside (a router's status line, a version) is logged with at most this many characters.
inline constexpr std::size_t kLoggedTextChars = 160;

// Where the log lives: "<XDG_STATE_HOME>/firmware-upgrade-utility/upgrade.log" when that variable holds
// an absolute path, else "<HOME>/.local/state/firmware-upgrade-utility/upgrade.log" (a relative or empty
// XDG_STATE_HOME is ignored). Empty when neither gives an absolute folder. Null pointers read as unset.
std::string AttemptLogPathFor(const char* stateHome, const char* home);

// The log's path for this process's environment. Failure texts and the About box name it.
std::string AttemptLogPath();

// The longest start of `text` whose printable form fits `maxChars` characters with "..." after it when
// cut; the text itself when its printable form fits. Not made printable.
std::string CutForLog(std::string_view text, std::size_t maxChars = kLoggedTextChars);

// The newest whole lines of `content` that fit in `limit` bytes: the content itself when it fits.
std::string_view NewestWholeLines(std::string_view content, std::size_t limit);

// The local time now in ISO 8601 with its offset, e.g. "2026-12-08T01:46:43+01:00".
std::string LocalTimestamp();

// One line describing the carried image: its texts, size and SHA-256 (no image: "no image").
std::string DescribeImage(const FirmwareInfo& info, std::size_t imageBytes,
                          const platform::Sha256Digest& sha256);

class AttemptLog {
public:
    using Clock = std::function<std::string()>;
    // Told one line the first time a file is not written, e.g. "the log /x/upgrade.log is not written:
    // it is not a regular file". Called on the writing thread, with no lock of the log's held.
    using Notice = std::function<void(const std::string&)>;

    // Appends to `path` (no file at all when empty), the program's own log, kept to its newest 1 MiB. The
    // folders on its way are made with mode 0700, the file with 0600; its folder must be this user's own
    // (not a link, not writable by others).
    explicit AttemptLog(std::string path, Clock timestamp = LocalTimestamp);
    ~AttemptLog();  // the secrets overwritten

    // Every later line also goes to this file (a copy the user asked for): only appended to, never cut,
    // its mode and inode kept.
    void AddSink(std::string path);

    void OnUnwritable(Notice notice);

    // A text that must never reach the file (the password, its credential): wherever a line would hold
    // it, "[hidden]" stands instead (see above for short ones).
    void Hide(std::string secret);

    // A text from outside for a line: its secrets hidden, then cut as CutForLog does.
    std::string Outside(std::string_view text, std::size_t maxChars = kLoggedTextChars);

    // Writes "<time> <step>: <text>" as one line: the text made printable and cut to 1,000 characters.
    void Write(std::string_view step, std::string_view text);

    const std::string& Path() const { return path; }

private:
    struct Sink {
        std::string path;
        bool own = false;      // the program's log: its folder checked, its size kept down
        bool refused = false;  // not this user's own file: no longer tried
        bool told = false;
    };

    std::string HideShort(std::string text) const;
    void AppendTo(Sink& sink, const std::string& line, std::vector<std::string>& notices);

    std::mutex mutex;
    std::string path;
    Clock timestamp;
    Notice notice;
    std::vector<Sink> sinks;  // the path first, then the copies
    std::vector<std::string> secrets;
};

// Writes the transfer's end with its bytes and duration, then the router's answer: one step a line.
void LogTransferEnd(AttemptLog& log, const UploadVerdict& verdict);

// Writes how the upload ended: a flash wait's silence too short for a restart, then the verdict with
// its cause.
// The flash wait's silence the moment it is long enough for a restart.
void LogSilenceReached(AttemptLog& log, std::int64_t silenceMs);
void LogUploadVerdict(AttemptLog& log, const UploadVerdict& verdict);

}  // namespace fwu
