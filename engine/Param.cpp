#include "engine/Param.h"

#include <cassert>

Param::Param(const std::string& n, bool numeric)
    : name(n.substr(0, kMaxNameLength)), isNumeric(numeric ? 1 : 0) {}

std::string Param::GetText() const {
    return std::to_string(GetValue());
}

void Param::SetText(const std::string&) {}

IntParam::IntParam(const std::string& name, int16_t min, int16_t max, int16_t value)
    : Param(name, true), min_(min), max_(max), value_(value) {}

void IntParam::SetValue(int16_t v) {
    if (v < min_)
        value_ = min_;
    else if (v > max_)
        value_ = max_;
    else
        value_ = v;
}

ChoiceParam::ChoiceParam(const std::string& name, std::span<const char* const> options)
    : Param(name, true) {
    assert(!options.empty());
    for (const char* option : options)
        options_.push_back(std::string(option).substr(0, kMaxOptionLength));
}

void ChoiceParam::SetValue(int16_t v) {
    const int n = static_cast<int>(options_.size());
    if (v < 0)
        index_ = 0;
    else if (v >= n)
        index_ = static_cast<int16_t>(n - 1);
    else
        index_ = v;
}

TextParam::TextParam(const std::string& name, const std::string& text) : Param(name, false) {
    SetText(text);
}

void TextParam::SetText(const std::string& text) {
    text_ = text.substr(0, kMaxTextLength);
}
