#pragma once

#include <QString>

// A message for the user, as the window shows it in a box and velloa-cli
// prints it. The core only describes it; it never shows anything.
struct UserMessage {
    enum class Kind { None, Information, Warning };
    Kind Icon = Kind::None;
    QString Title;
    QString Text;

    bool IsEmpty() const { return Icon == Kind::None; }
};
