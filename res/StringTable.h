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
    IDS_CONFIRMED_VERSION = 33020,     // success page: the router names the new version (+ version + ".")
    IDS_OTHER_VERSION_HEAD = 33021,    // success page: the router came back with another version, before it
    IDS_OTHER_VERSION_TAIL = 33022,    // ... after the version
    IDS_ROUTER_NOT_BACK = 33023,       // success page: the router named no version within 5 minutes
    IDS_ABOUT_LOG = 33024,             // About box: where the log of every attempt is kept (+ path)
};

// The text of the given id, or an empty view when the table has no such id.
// The views point into static storage and stay valid for the life of the program.
std::string_view LoadString(int id);

}  // namespace fwu
