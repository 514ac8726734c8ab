// Node parameters: a ranged 16-bit integer, a choice among option texts, or
// a free text. Callers pick the numeric or text path by isNumeric alone.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

class Param {
public:
    static constexpr size_t kMaxNameLength = 255;

    virtual ~Param() = default;

    virtual int16_t GetValue() const = 0;
    virtual int16_t GetMin() const = 0;
    virtual int16_t GetMax() const = 0;
    virtual std::string GetText() const;  // "%i" of GetValue()
    virtual void SetValue(int16_t value) = 0;
    virtual void SetText(const std::string& text);  // ignored by default

    const std::string name;
    const uint8_t isNumeric;

protected:
    Param(const std::string& name, bool numeric);
};

class IntParam : public Param {
public:
    IntParam(const std::string& name, int16_t min, int16_t max, int16_t value);

    int16_t GetValue() const override { return value_; }
    int16_t GetMin() const override { return min_; }
    int16_t GetMax() const override { return max_; }
    void SetValue(int16_t value) override;

private:
    int16_t min_, max_, value_;
};

class ChoiceParam : public Param {
public:
    static constexpr size_t kMaxOptionLength = 63;

    // The first option is the default.
    ChoiceParam(const std::string& name, std::span<const char* const> options);
    ChoiceParam(const std::string& name, std::initializer_list<const char*> options)
        : ChoiceParam(name, std::span<const char* const>(options.begin(), options.size())) {}

    int16_t GetValue() const override { return index_; }
    int16_t GetMin() const override { return 0; }
    int16_t GetMax() const override { return static_cast<int16_t>(options_.size() - 1); }
    std::string GetText() const override { return options_[index_]; }
    void SetValue(int16_t value) override;

    const std::vector<std::string>& options() const { return options_; }

private:
    std::vector<std::string> options_;
    int16_t index_ = 0;
};

class TextParam : public Param {
public:
    static constexpr size_t kMaxTextLength = 1023;

    TextParam(const std::string& name, const std::string& text);

    int16_t GetValue() const override { return 0; }
    int16_t GetMin() const override { return 0; }
    int16_t GetMax() const override { return 0; }
    std::string GetText() const override { return text_; }
    void SetValue(int16_t) override {}
    void SetText(const std::string& text) override;  // keeps at most 1023 characters

private:
    std::string text_;
};

// One row of a node type's parameter table: what the constructor creates, in
// file and panel order. Built with param::Int, param::Choice and param::Text.
struct ParamDef {
    enum class Kind : uint8_t { kInt, kChoice, kText };

    Kind kind;
    const char* name;
    int16_t min = 0, max = 0, value = 0;   // kInt
    std::span<const char* const> options;  // kChoice; the first is the default
    const char* text = nullptr;            // kText
};

namespace param {

constexpr ParamDef Int(const char* name, int16_t min, int16_t max, int16_t value) {
    return {ParamDef::Kind::kInt, name, min, max, value, {}, nullptr};
}
constexpr ParamDef Choice(const char* name, std::span<const char* const> options) {
    return {ParamDef::Kind::kChoice, name, 0, 0, 0, options, nullptr};
}
constexpr ParamDef Text(const char* name, const char* text) {
    return {ParamDef::Kind::kText, name, 0, 0, 0, {}, text};
}

}  // namespace param

// The colour choice shared by the generators ("Color" or "Type").
inline constexpr const char* kChannelOptions[] = {"Red", "Green", "Blue", "R+G+B"};
