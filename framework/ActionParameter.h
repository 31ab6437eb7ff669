#pragma once
#include <concepts>
#include <cstdint>
#include <string>

// One named SOAP argument with its value as text.
class ActionParameter {
public:
    explicit ActionParameter(std::string name) : name(std::move(name)) {}
    ActionParameter(std::string name, std::string value)
        : name(std::move(name)), value(std::move(value)) {}
    ActionParameter(std::string name, const char* value) : name(std::move(name)), value(value) {}
    template <std::integral T>
    ActionParameter(std::string name, T number)
        : name(std::move(name)), value(std::to_string(number)) {}
    virtual ~ActionParameter() = default;

    virtual bool SetValue(const std::string& text) {
        value = text;
        return true;
    }
    // The value to send: a binding's current member, otherwise `value`.
    virtual std::string Text() const { return value; }

    std::string name;
    std::string value;
    // The value is an XML document (a DIDL-Lite Result), sent as CDATA
    // rather than escaped text: libixml escapes text one byte at a time,
    // growing its buffer by a few bytes each, but copies CDATA whole.
    bool as_cdata = false;
};

// Binds an argument to a typed member of its action. The whole text must
// convert to one value of T; otherwise the member keeps its old value.
template <class T>
class ActionParameterImpl : public ActionParameter {
public:
    ActionParameterImpl(std::string name, T* member)
        : ActionParameter(std::move(name)), member_(member) {}

    bool SetValue(const std::string& text) override;
    std::string Text() const override;

private:
    T* member_;
};

// Strict text-to-value conversion used by the bindings.
bool ConvertParameter(const std::string& text, std::string& out);
bool ConvertParameter(const std::string& text, int32_t& out);
bool ConvertParameter(const std::string& text, uint16_t& out);
bool ConvertParameter(const std::string& text, uint32_t& out);
bool ConvertParameter(const std::string& text, float& out);

// A value as it is written into a SOAP body.
std::string ParameterText(const std::string& value);
std::string ParameterText(int32_t value);
std::string ParameterText(uint16_t value);
std::string ParameterText(uint32_t value);
std::string ParameterText(float value);

void ReportParameterError(const std::string& name, const std::string& text);

template <class T>
bool ActionParameterImpl<T>::SetValue(const std::string& text) {
    T converted{};
    if (!ConvertParameter(text, converted)) {
        ReportParameterError(name, text);
        return false;
    }
    *member_ = converted;
    value = text;
    return true;
}

template <class T>
std::string ActionParameterImpl<T>::Text() const {
    return ParameterText(*member_);
}
