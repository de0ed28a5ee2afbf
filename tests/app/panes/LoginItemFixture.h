#pragma once

#include "login/LoginItem.h"

#include <string>

namespace kelvora::testing {

// A login item as the reader lists one: a label and a purpose made from its name, set to
// start at login, waiting unless told otherwise.
inline LoginItem item(LoginItem::Source source, const std::string& name,
                      LoginItem::State state = LoginItem::State::waiting()) {
    LoginItem made;
    made.source = source;
    made.label = "com.example." + name;
    made.name = name;
    made.purpose = "Keeps " + name + " up to date";
    made.state = state;
    made.startsAtLogin = true;
    return made;
}

} // namespace kelvora::testing
