#pragma once

#include "app/support/EventLoop.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

#include <dlfcn.h>

namespace kelvora::testing {

// Keys sent through the X server (its XTest extension), as a keyboard sends
// them: they reach whichever window the window manager focused, one event after
// another, and the toolkit handles them as it handles a person's. A test that hands events
// to a widget skips all of that. The X libraries are opened at run time, so nothing of X
// is compiled into the tests; `ready` says whether they and the display were there.
class XInput {
public:
    // Key symbols by the X protocol's numbers; a Latin-1 character's is its code.
    static constexpr unsigned long kTab = 0xff09, kReturn = 0xff0d, kEscape = 0xff1b,
                                   kShift = 0xffe1, kControl = 0xffe3, kAlt = 0xffe9, kComma = 0x2c;

    XInput() {
        x11_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        xtest_ = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!x11_ || !xtest_) return;
        load(x11_, "XOpenDisplay", openDisplay_);
        load(x11_, "XCloseDisplay", closeDisplay_);
        load(x11_, "XSync", sync_);
        load(x11_, "XKeysymToKeycode", keycodeOf_);
        load(x11_, "XDisplayKeycodes", keycodeRange_);
        load(x11_, "XGetKeyboardMapping", getMapping_);
        load(x11_, "XChangeKeyboardMapping", changeMapping_);
        load(x11_, "XFree", free_);
        load(xtest_, "XTestFakeKeyEvent", fakeKey_);
        if (openDisplay_ && fakeKey_ && keycodeOf_ && sync_) display_ = openDisplay_(nullptr);
    }
    ~XInput() {
        if (display_) closeDisplay_(display_);
        if (xtest_) dlclose(xtest_);
        if (x11_) dlclose(x11_);
    }
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;

    bool ready() const { return display_ != nullptr; }

    // Presses `key` with the `held` keys down, as a person does (the held keys first, each its
    // own event, a moment before the key), and lets the application take the events in
    // before the next key.
    void key(unsigned long key, std::initializer_list<unsigned long> held = {},
             std::chrono::milliseconds after = std::chrono::milliseconds(40)) {
        for (unsigned long modifier : held)
            send(modifier, true);
        // A person's finger reaches the key a moment after the modifier.
        if (held.size()) {
            sync_(display_, 0);
            settle(std::chrono::milliseconds(30));
        }
        send(key, true);
        send(key, false);
        for (auto it = std::rbegin(held); it != std::rend(held); ++it)
            send(*it, false);
        sync_(display_, 0);
        settle(after);
    }

    // Types the text key after key without waiting between keys, as fast typing does; the
    // application takes them in afterwards, in order.
    void type(const QString& text) {
        for (QChar character : text) {
            const unsigned long symbol = character.unicode();
            if (!keycodeOf_(display_, symbol)) mapSpareKey(symbol);
            send(symbol, true);
            send(symbol, false);
        }
        sync_(display_, 0);
    }

private:
    using Display = void;
    template <class Function> static void load(void* library, const char* name, Function& into) {
        into = reinterpret_cast<Function>(dlsym(library, name));
    }

    void send(unsigned long symbol, bool down) {
        if (unsigned code = keycodeOf_(display_, symbol)) fakeKey_(display_, code, down, 0);
    }

    // A character the keyboard's layout lacks ("é" on the virtual display's US layout) is put
    // on a key that has nothing, and the application is given time to read the new layout.
    void mapSpareKey(unsigned long symbol) {
        if (!keycodeRange_ || !getMapping_ || !changeMapping_) return;
        int first = 0, last = 0, perKey = 0;
        keycodeRange_(display_, &first, &last);
        unsigned long* map =
            getMapping_(display_, static_cast<unsigned char>(first), last - first + 1, &perKey);
        if (!map) return;
        for (int code = last; code >= first; --code) {
            bool empty = true;
            for (int i = 0; i < perKey; ++i)
                empty = empty && map[(code - first) * perKey + i] == 0;
            if (!empty) continue;
            std::vector<unsigned long> symbols(perKey, symbol);
            changeMapping_(display_, code, perKey, symbols.data(), 1);
            break;
        }
        free_(map);
        sync_(display_, 0);
        settle(std::chrono::milliseconds(200));
    }

    void* x11_ = nullptr;
    void* xtest_ = nullptr;
    Display* display_ = nullptr;
    Display* (*openDisplay_)(const char*) = nullptr;
    int (*closeDisplay_)(Display*) = nullptr;
    int (*sync_)(Display*, int) = nullptr;
    unsigned char (*keycodeOf_)(Display*, unsigned long) = nullptr;
    int (*keycodeRange_)(Display*, int*, int*) = nullptr;
    unsigned long* (*getMapping_)(Display*, unsigned char, int, int*) = nullptr;
    int (*changeMapping_)(Display*, int, int, unsigned long*, int) = nullptr;
    int (*free_)(void*) = nullptr;
    int (*fakeKey_)(Display*, unsigned, int, unsigned long) = nullptr;
};

} // namespace kelvora::testing
