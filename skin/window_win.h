// The window framework: one static procedure binds each window to its C++
// object on the window's first message (at the latest WM_NCCREATE) and
// unbinds it at WM_NCDESTROY; every class routes its messages through a
// static table of (message, handler) before falling back to its base class.
#pragma once

#include <windows.h>

#include <cstddef>

namespace kestra {

// Owner-draw requests are handed by the parent to the control that draws
// itself, under these numbers (the parent's WM_DRAWITEM plus this base).
constexpr UINT kReflectBase = 0x2000;
constexpr UINT UM_REFLECT_DRAWITEM = kReflectBase + WM_DRAWITEM;
// A control's own notifications and colour requests are offered to the
// control first (as these numbers) by any framework window that is its
// parent; what the control does not take, the parent handles as usual.
constexpr UINT UM_REFLECT_COMMAND = kReflectBase + WM_COMMAND;
constexpr UINT UM_REFLECT_CTLCOLOREDIT = kReflectBase + WM_CTLCOLOREDIT;
constexpr UINT UM_REFLECT_CTLCOLORSTATIC = kReflectBase + WM_CTLCOLORSTATIC;
constexpr UINT UM_REFLECT_CTLCOLORLISTBOX = kReflectBase + WM_CTLCOLORLISTBOX;

// A window must go while the whole object that handles its messages still
// exists: by the time ~Window runs, the derived parts (their handlers, their
// members) are gone. So every class derived from Window calls
// DestroyOwnWindow() first thing in its own destructor; whichever class is
// the object's own destroys the window, the bases find it gone.
class Window {
public:
    Window() = default;
    // Only a last resort: the derived parts no longer see the window go.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }
    // The object behind one of the framework's windows, or null.
    static Window* FromHandle(HWND hwnd);

    // The framework's plain class (DefWindowProc underneath) and a superclass
    // of the system push button; registered on first use.
    static const char* PlainClass();
    static const char* ButtonClass();
    // A superclass of another system control class ("EDIT", "LISTBOX", ...):
    // the framework's procedure in front of the system's. Registered on first
    // use; null when the system class is unknown.
    static const char* SystemControlClass(const char* systemClass);

protected:
    HWND CreateFrameworkWindow(DWORD exStyle, const char* className, DWORD style, int x, int y,
                               int width, int height, HWND parent);
    // Handlers not in a class's table end here: the class's base procedure.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A notification or colour request of this control, offered to it by its
    // parent (`message` is the reflected number); true when it was handled
    // and the parent should return `result` without acting on it.
    virtual bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        (void)message;
        (void)wParam;
        (void)lParam;
        (void)result;
        return false;
    }
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Destroys the window now, with the handlers of the class that calls it;
    // a window of another thread is cut loose instead (it cannot be destroyed
    // from here). Nothing happens once the window is gone.
    void DestroyOwnWindow();
    // Called after WM_NCDESTROY has run, with hwnd() already null.
    virtual void OnFinalDestroy() {}

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    WNDPROC baseProc_ = DefWindowProcA;
};

template <class T>
struct MessageEntry {
    UINT message;
    LRESULT (T::*handler)(WPARAM wParam, LPARAM lParam);
};

template <class T, size_t N>
bool RouteMessage(T* self, const MessageEntry<T> (&table)[N], UINT message, WPARAM wParam,
                  LPARAM lParam, LRESULT* result) {
    for (const MessageEntry<T>& entry : table) {
        if (entry.message == message) {
            *result = (self->*entry.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

}  // namespace kestra
