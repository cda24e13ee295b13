// The real mouse over the system's HID stack: its command channels (feature
// and output reports) and its event channel, each opened on the collection
// that carries it, with the report ids its capabilities give. Not locked:
// devport.dll guards the command channels with its lock, and only its
// monitor thread touches the event channel.
#pragma once

#include <cstdint>
#include <memory>

#include "devport/channel_choice.h"
#include "devport/hid_backend.h"

namespace kestra {
namespace devport {

class HidCommandChannels {
public:
    explicit HidCommandChannels(HidBackend& backend) : backend_(backend) {}

    // Looks for the mouse and opens the channel afresh (one opened before a
    // removal is dead, though its handle is not); false when the mouse is
    // absent or the channel cannot be opened.
    bool OpenFeature(uint16_t vid, uint16_t pid) {
        return Open(vid, pid, Channel::kFeature, feature_);
    }
    bool OpenOutput(uint16_t vid, uint16_t pid) {
        return Open(vid, pid, Channel::kOutput, output_);
    }
    void CloseFeature() { feature_ = Opened(); }
    void CloseOutput() { output_ = Opened(); }
    bool FeatureOpen() const { return feature_.file != nullptr; }
    bool OutputOpen() const { return output_.file != nullptr; }

    // 1 when the mouse took the report (or answered), 0 otherwise: a closed
    // channel, a report that does not fit the collection's, or a refusal.
    int SetFeature(const uint8_t* bytes, int length);
    int GetFeature(uint8_t* bytes, int length);
    int Write(const uint8_t* bytes, int length);

private:
    struct Opened {
        ChannelChoice choice;
        std::unique_ptr<HidFile> file;
    };
    bool Open(uint16_t vid, uint16_t pid, Channel channel, Opened& opened);

    HidBackend& backend_;
    Opened feature_;
    Opened output_;
};

class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void DeviceEvent(uint16_t code, uint16_t value) = 0;
};

class HidEventWatch {
public:
    HidEventWatch(HidBackend& backend, EventSink& sink) : backend_(backend), sink_(sink) {}

    // Looks for the mouse again: starts reading its events when it is there
    // and they are not read yet, stops when it has gone. True when present.
    bool Refresh(uint16_t vid, uint16_t pid);
    // What to wait on for the next event report; null while none is read.
    void* Waitable() const { return file_ ? file_->ReadWaitable() : nullptr; }
    // Waitable() was signalled: hands on the events that came and reads on.
    // A failed read (the mouse went away) ends the reading.
    void OnReadDone();
    void Close() { file_.reset(); }
    bool Reading() const { return file_ != nullptr; }

private:
    bool BeginRead();

    HidBackend& backend_;
    EventSink& sink_;
    ChannelChoice choice_;
    std::unique_ptr<HidFile> file_;
};

}  // namespace devport
}  // namespace kestra
