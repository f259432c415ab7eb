#include "cli/CarriedImage.h"

#include "cli/CommandLine.h"
#include "platform/Sha256.h"
#include "res/PrintableText.h"
#include "res/VersionBlock.h"

namespace fwu::cli {

CarriedImage InspectImage(const platform::Payload& payload, const VersionBlockBytes& block) {
    CarriedImage image;
    image.status = payload.status;
    const bool intact = payload.status == platform::PayloadStatus::Ok;
    image.info = DeriveFirmwareInfo(intact ? ByteView(payload.data) : ByteView(), block);
    if (intact) {
        image.size = static_cast<std::int64_t>(payload.data.size());
        image.sha256 = platform::HexDigest(platform::Sha256Of(payload.data));
    }
    return image;
}

CarriedImage InspectOwnImage() {
    return InspectImage(platform::ReadOwnPayload(), ReadOwnVersionBlock());
}

std::string_view DamageReason(platform::PayloadStatus status) {
    switch (status) {
        case platform::PayloadStatus::Ok:
            return {};
        case platform::PayloadStatus::Unreadable:
            return "the program's own file cannot be read";
        case platform::PayloadStatus::NoPayload:
            return "no firmware image is appended to the program";
        case platform::PayloadStatus::Damaged:
            return "the image's trailer gives an impossible size";
        case platform::PayloadStatus::DigestMismatch:
            return "the image's bytes do not match its SHA-256 digest";
    }
    return "the image cannot be read";
}

ImageInfoReport FormatImageInfo(const CarriedImage& image) {
    const bool intact = image.status == platform::PayloadStatus::Ok;
    const auto line = [](std::string_view label, std::string_view value) {
        std::string text(label);
        text.resize(18, ' ');
        return text + std::string(value) + "\n";
    };
    const std::string none = "-";
    ImageInfoReport report;
    const auto printable = [](std::string_view text) {
        return MakePrintable(text, UnprintableStyle::AsciiQuestionMark);
    };
    report.text += line("file name:", printable(image.info.fileName));
    report.text += line("model:", printable(image.info.model));
    report.text += line("release date:", printable(image.info.releaseDate));
    report.text += line("firmware date:", intact ? image.info.firmwareDate : none);
    report.text += line("firmware version:", intact ? image.info.utilityVersion : none);
    report.text += line("size:", intact ? std::to_string(image.size) + " bytes" : none);
    report.text += line("SHA-256:", intact ? image.sha256 : none);
    report.text += line("digest:", intact ? "intact" : "damaged: " + std::string(DamageReason(image.status)));
    report.exitCode = intact ? ExitCode::Success : ExitCode::ImageDamaged;
    return report;
}

std::string FormatVersion(std::string_view appVersion, const CarriedImage& image) {
    std::string text = std::string(kProgramName) + " " + std::string(appVersion) + "\n";
    if (image.status == platform::PayloadStatus::Ok) {
        text += "carried firmware " + image.info.utilityVersion + "\n";
    } else {
        text += "carried firmware unreadable: " + std::string(DamageReason(image.status)) + "\n";
    }
    return text;
}

}  // namespace fwu::cli
