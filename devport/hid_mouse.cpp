#include "devport/hid_mouse.h"

#include <vector>

namespace kestra {
namespace devport {

bool HidCommandChannels::Open(uint16_t vid, uint16_t pid, Channel channel, Opened& opened) {
    opened = Opened();
    const std::vector<HidCollection> list = backend_.Enumerate();
    const MouseChannels chosen = ChooseChannels(list, vid, pid);
    if (!chosen.present()) return false;
    const ChannelChoice& choice = channel == Channel::kFeature ? chosen.feature : chosen.output;
    std::unique_ptr<HidFile> file =
        backend_.Open(list[static_cast<size_t>(choice.collection)].path);
    if (!file) return false;
    opened.choice = choice;
    opened.file = std::move(file);
    return true;
}

int HidCommandChannels::SetFeature(const uint8_t* bytes, int length) {
    std::vector<uint8_t> frame;
    if (!feature_.file || length <= 0 ||
        !Frame(feature_.choice, bytes, static_cast<size_t>(length), &frame)) {
        return 0;
    }
    return feature_.file->SetFeature(frame.data(), frame.size()) ? 1 : 0;
}

int HidCommandChannels::GetFeature(uint8_t* bytes, int length) {
    std::vector<uint8_t> frame;
    if (!feature_.file || length <= 0 ||
        !Frame(feature_.choice, bytes, static_cast<size_t>(length), &frame)) {
        return 0;
    }
    if (!feature_.file->GetFeature(frame.data(), frame.size())) return 0;
    for (int i = 0; i < length; ++i) bytes[i] = frame[static_cast<size_t>(i) + 1];
    return 1;
}

int HidCommandChannels::Write(const uint8_t* bytes, int length) {
    std::vector<uint8_t> frame;
    if (!output_.file || length <= 0 ||
        !Frame(output_.choice, bytes, static_cast<size_t>(length), &frame)) {
        return 0;
    }
    return output_.file->Write(frame.data(), frame.size()) ? 1 : 0;
}

bool HidEventWatch::Refresh(uint16_t vid, uint16_t pid) {
    const std::vector<HidCollection> list = backend_.Enumerate();
    const MouseChannels chosen = ChooseChannels(list, vid, pid);
    if (!chosen.present()) {
        file_.reset();
        return false;
    }
    if (!file_ && chosen.events.found()) {
        choice_ = chosen.events;
        file_ = backend_.Open(list[static_cast<size_t>(choice_.collection)].path);
        if (file_ && !BeginRead()) file_.reset();
    }
    return true;
}

bool HidEventWatch::BeginRead() {
    return file_->BeginRead(choice_.frameLength);
}

void HidEventWatch::OnReadDone() {
    if (!file_) return;
    std::vector<uint8_t> report;
    switch (file_->FinishRead(&report)) {
        case ReadResult::kPending:
            return;
        case ReadResult::kFailed:
            // The mouse went away; its removal comes from the system's notice.
            file_.reset();
            return;
        case ReadResult::kReport:
            break;
    }
    uint16_t code = 0, value = 0;
    // Other reports of the collection (another id, a short one) are not events.
    if (DecodeEvent(choice_, report, &code, &value)) sink_.DeviceEvent(code, value);
    if (!BeginRead()) file_.reset();
}

}  // namespace devport
}  // namespace kestra
