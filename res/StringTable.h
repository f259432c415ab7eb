// The program's string table: every user-visible text and every fixed protocol text, by id.
// Texts are single-byte strings, byte for byte as the program shows or sends them.
#pragma once

#include <string_view>

namespace fwu {

enum StringId : int {
    IDS_ABOUTBOX = 101,                // context-menu entry that opens the About box
    IDS_APP_TITLE = 1000,              // window title and message-box caption
    IDS_DIALOG_CLASS = 1001,           // window class name of the main dialog
    IDS_DEFAULT_ROUTER = 1002,         // router address proposed when no gateway answers
    IDS_ROUTER_NOT_FOUND = 30001,      // router check failed
    IDS_ASK_DOWNGRADE = 31001,         // router firmware is newer than ours
    IDS_WRITING_FLASH = 31002,         // progress status once the image is sent
    IDS_CHECKING_ROUTER = 31003,       // login page status while the router is checked
    IDS_STATUS_REQUEST = 32002,        // head of the status-page request
    IDS_BODY_HEAD = 32003,             // form fields before the file name
    IDS_BODY_FILE_TYPE = 32004,        // after the file name, before the image bytes
    IDS_BODY_TAIL = 32005,             // form fields after the image bytes
    IDS_HEADER_REFERER = 32006,        // header block up to the first router address
    IDS_HEADER_HOST = 32007,           // header block up to the second router address
    IDS_HEADER_LENGTH = 32008,         // header block up to the body length
    IDS_HEADER_AUTH = 32009,           // header block up to the credential
    IDS_NO_ADAPTERS = 33001,           // gateway discovery: the system lists no adapters
    IDS_ADAPTERS_UNSUPPORTED = 33002,  // gateway discovery: the adapter list is unavailable
    IDS_IMAGE_DAMAGED = 33003,         // the carried firmware image is missing or damaged

    // What a failed upgrade or router check saw, the stop question, and the unknown version.
    IDS_FAIL_NOT_CONNECTED = 33004,     // upload failed: the web server did not accept the connection
    IDS_FAIL_LOST = 33005,              // upload failed: connection lost at %d percent
    IDS_FAIL_REFUSED = 33006,           // upload failed: the router refused the image, %s its status line
    IDS_FAIL_NO_RESTART = 33007,        // upload failed: the router took the image but did not restart
    IDS_FAIL_NO_PING = 33008,           // upload failed: this computer does not let the program send pings
    IDS_FAIL_STOPPED = 33009,           // upload stopped by the user before the last byte went out
    IDS_FAIL_UNREPORTED = 33010,        // upload failed without a reported cause
    IDS_ASK_STOP = 33011,               // question: stop the transfer under way
    IDS_STOP_REFUSED = 33012,           // progress status: no stop while the router writes its flash
    IDS_CHECK_NO_ANSWER = 33013,        // router check failed: no answer to the ping
    IDS_CHECK_REFUSED = 33014,          // router check failed: password refused, %s the status line
    IDS_CHECK_REFUSED_BARE = 33015,     // router check failed: password refused without a status line
    IDS_CHECK_NO_PING = 33016,          // router check failed: this user may not send pings
    IDS_VERSION_NO_FIELD = 33017,       // verify page: version unknown, the status page has no version field
    IDS_VERSION_NO_TIME = 33018,        // verify page: version unknown, the web page did not answer in time
    IDS_VERSION_NO_CONNECTION = 33019,  // verify page: version unknown, the web page could not be reached

    // The success page after the restart, and the About box's log line.
    IDS_CONFIRMED_VERSION = 33020,   // success page: the router names the new version (+ version + ".")
    IDS_OTHER_VERSION_HEAD = 33021,  // success page: the router came back with another version, before it
    IDS_OTHER_VERSION_TAIL = 33022,  // ... after the version
    IDS_ROUTER_NOT_BACK = 33023,     // success page: the router named no version within 5 minutes
    IDS_ABOUT_LOG = 33024,           // About box: where the log of every attempt is kept (+ path)
    IDS_CONFIRMING = 33025,          // success page: the router is watched for the new version
    IDS_FAIL_OTHER_VERSION = 33026,  // progress status: the router restarted with another version, %s it
    IDS_FAIL_NOT_BACK = 33027,       // progress status: the router named no version within 5 minutes
    IDS_CHECK_NOT_ROUTER = 33028,    // router check failed: no router can hold the address

    // Causes told apart from the ones above.
    IDS_CHECK_NOT_STATUS_PAGE =
        33029,                       // router check failed: another answer than the status page, %s its line
    IDS_VERSION_TWO_FIELDS = 33030,  // verify page: version unknown, the page named two different versions
    IDS_FAIL_TOO_SLOW = 33031,       // upload failed: the transfer passed its overall deadline at %d percent
    IDS_FAIL_PASSWORD = 33032,       // upload failed: the router refused the password before the image
    IDS_ROUTER_REFUSES_PASSWORD = 33033,  // success page: the router came back but refuses the password
    IDS_CHECK_BROADCAST = 33034,          // router check failed: the address is a broadcast address here
    IDS_CHECK_NO_ROUTE = 33035,           // router check failed: this computer has no route to the address
};

// The text of the given id, or an empty view when the table has no such id.
// The views point into static storage and stay valid for the life of the program.
std::string_view LoadString(int id);

}  // namespace fwu
