#include "res/StringTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace fwu {
namespace {

// The multipart boundary as it appears on a delimiter line: two hyphens more than the
// boundary announced in the Content-Type field.
#define FWU_DELIMITER "-----------------------------7d6334282094a"

constexpr std::array<std::pair<int, std::string_view>, 51> kStrings{{
    {IDS_ABOUTBOX, "&About kvel..."},
    {IDS_APP_TITLE, "Firmware Upgrade Utility"},
    {IDS_DIALOG_CLASS, "#32770"},
    {IDS_DEFAULT_ROUTER, "192.168.1.1"},
    {IDS_ROUTER_NOT_FOUND,
     "Can't find the Router.\nEither the IP Address or the Password is incorrect. Click OK and verify the "
     "information and try again."},
    {IDS_ASK_DOWNGRADE,
     "The current firmware version on the Router is newer than the upgrade version in this utility. \nIf you "
     "want to continue to downgrade, click Yes. Otherwise, click No to exit this utility."},
    {IDS_WRITING_FLASH, "Writing to the Flash... please wait a moment..."},
    {IDS_CHECKING_ROUTER, "Check Router Information, Please Wait..."},
    {IDS_STATUS_REQUEST, "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic "},
    {IDS_BODY_HEAD,
     FWU_DELIMITER "\nContent-Disposition: form-data; name=\"submit_button\"\n\nUpgrade\n"  //
     FWU_DELIMITER "\nContent-Disposition: form-data; name=\"change_action\"\n\n\n"         //
     FWU_DELIMITER "\nContent-Disposition: form-data; name=\"action\"\n\n\n"                //
     FWU_DELIMITER "\nContent-Disposition: form-data; name=\"file\"; filename=\""},
    {IDS_BODY_FILE_TYPE, "\"\nContent-Type: application/octet-stream\n\n"},
    {IDS_BODY_TAIL,
     FWU_DELIMITER "\nContent-Disposition: form-data; name=\"process\"\n\n\n"  //
     FWU_DELIMITER "--"},
    {IDS_HEADER_REFERER,
     "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
     "application/vnd.ms-powerpoint, application/vnd.ms-excel, application/msword, */*\nReferer: http://"},
    {IDS_HEADER_HOST,
     "/Upgrade.asp\nAccept-Language: zh-tw\nContent-Type: multipart/form-data; "
     "boundary=---------------------------7d6334282094a\nAccept-Encoding: gzip, deflate\nUser-Agent: "
     "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 1.1.4322)\nHost: "},
    {IDS_HEADER_LENGTH, "\nContent-Length: "},
    {IDS_HEADER_AUTH, "\nConnection: Keep-Alive\nCache-Control: no-cache\nAuthorization: Basic "},
    {IDS_NO_ADAPTERS, "No adapter information exists for the local computer"},
    {IDS_ADAPTERS_UNSUPPORTED,
     "GetAdaptersInfo is not supported by the operating system running on the local computer"},
    {IDS_IMAGE_DAMAGED, "This program's firmware image is damaged; nothing was sent to the router."},
    {IDS_FAIL_NOT_CONNECTED,
     "The Router's web server did not accept the connection. Check it and click Retry."},
    {IDS_FAIL_LOST, "Connection lost at %d%%. The Router keeps its current firmware; click Retry."},
    {IDS_FAIL_REFUSED, "The Router refused the image (%s). Check the Password and Retry."},
    {IDS_FAIL_NO_RESTART,
     "The Router took the image but did not restart. Restart it, then check its version."},
    {IDS_FAIL_NO_PING, "This computer does not let the program send pings. Check the Router's version."},
    {IDS_FAIL_STOPPED, "The upgrade was stopped. The Router keeps its current firmware; click Retry."},
    {IDS_FAIL_UNREPORTED, "The upgrade did not complete. Click Retry to try again."},
    {IDS_ASK_STOP, "Stop the upgrade? The router keeps its current firmware."},
    {IDS_STOP_REFUSED, "The Router is writing its Flash and cannot be stopped now. Please wait..."},
    {IDS_CHECK_NO_ANSWER, "The Router did not answer the ping."},
    {IDS_CHECK_REFUSED, "The Router refused the password (%s)."},
    {IDS_CHECK_REFUSED_BARE, "The Router refused the password."},
    {IDS_CHECK_NO_PING,
     "This user may not send pings. An administrator can allow them with sysctl -w "
     "net.ipv4.ping_group_range=\"0 2147483647\"."},
    {IDS_CHECK_NOT_ROUTER, "This is not a router's address. Enter the address of the Router."},
    {IDS_VERSION_NO_FIELD, "unknown (no version shown)"},
    {IDS_VERSION_NO_TIME, "unknown (no answer in time)"},
    {IDS_VERSION_NO_CONNECTION, "unknown (no connection)"},
    {IDS_CONFIRMED_VERSION, "The router now runs "},
    {IDS_OTHER_VERSION_HEAD, "The router restarted but still runs "},
    {IDS_OTHER_VERSION_TAIL, ": it kept its old firmware. Switch it off and on, then run the upgrade again."},
    {IDS_ROUTER_NOT_BACK,
     "The router has not come back after 5 minutes. Check its lights and cables, then open its web page "
     "to see its version."},
    {IDS_ABOUT_LOG, "Log of every upgrade attempt: "},
    {IDS_CONFIRMING, "The router is restarting. Confirming the new version..."},
    {IDS_FAIL_OTHER_VERSION,
     "The Router restarted but still runs %s. Switch it off and on, then click Retry."},
    {IDS_FAIL_NOT_BACK, "The Router is not back after 5 minutes. Check its cables and lights, then Retry."},
    {IDS_CHECK_NOT_STATUS_PAGE, "The Router answered \"%s\" instead of the status page."},
    {IDS_VERSION_TWO_FIELDS, "unknown (the page names two different versions)"},
    {IDS_FAIL_TOO_SLOW,
     "The Router took the image too slowly and the transfer was ended at %d%%. The Router keeps its "
     "current firmware; click Retry."},
    {IDS_FAIL_PASSWORD, "The Router refused the password before taking the image. Check it and Retry."},
    {IDS_ROUTER_REFUSES_PASSWORD,
     "The router came back after the restart but refuses the password. Open its web page to see its "
     "version."},
    {IDS_CHECK_BROADCAST,
     "This is the broadcast address of a network, not a router's address. Enter the address of the "
     "Router."},
    {IDS_CHECK_NO_ROUTE,
     "This computer has no route to this address. Check its network connection and the Router's "
     "address."},
}};

#undef FWU_DELIMITER

}  // namespace

std::string_view LoadString(int id) {
    const auto it =
        std::find_if(kStrings.begin(), kStrings.end(), [id](const auto& e) { return e.first == id; });
    return it == kStrings.end() ? std::string_view{} : it->second;
}

}  // namespace fwu
