#pragma once
// One table of fields per renderer record, and the operations every record
// shares, generic over that table: conversion from and to the interface's
// plain record, release of its strings, out-arguments, the log text, and
// reading a received response.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>

#include "ActionParameter.h"
#include "UpnpAction.h"
#include "common/CString.h"
#include "common/DlnaLog.h"
#include "renderer/RendererTables.h"

// One field: its SOAP argument, its name in the interface record (for
// messages), and where it lives in the value type and in the plain record.
template <class Value, class Record, class T, class C>
struct RecordField {
    const char* argument;
    const char* field;
    T Value::*value;
    C Record::*record;
    // How loudly an enumeration text outside its table is reported.
    LogLevel unknown_level = LogLevel::Error;
};
// Spelled out for compilers without deduction for aggregates (clang 14, the
// fuzz build's).
template <class Value, class Record, class T, class C>
RecordField(const char*, const char*, T Value::*, C Record::*) -> RecordField<Value, Record, T, C>;
template <class Value, class Record, class T, class C>
RecordField(const char*, const char*, T Value::*, C Record::*, LogLevel)
    -> RecordField<Value, Record, T, C>;

// Specialised beside each value type: `CRecord` and `kFields`.
template <class R>
struct RecordTraits;

template <class R>
using CRecordOf = typename RecordTraits<R>::CRecord;

// The out-arguments of a received response by name; a missing one reads as
// empty text.
using ResponseValues = std::map<std::string, std::string>;
ResponseValues ResponseValuesOf(const UpnpAction& action);

namespace record_detail {

template <class T>
inline constexpr bool kIsText = std::is_same_v<T, std::string>;
template <class T>
inline constexpr bool kIsEnum = false;
template <class E>
inline constexpr bool kIsEnum<EnumValue<E>> = true;
template <class T>
inline constexpr bool kIsNumber = std::is_integral_v<T>;

template <class R, class F>
void ForEachField(F&& visit) {
    std::apply([&](const auto&... field) { (visit(field), ...); }, RecordTraits<R>::kFields);
}

// Counts are written as unsigned decimal text, a negative one as its 32-bit
// unsigned value.
template <class T>
std::string NumberText(T value) {
    return std::to_string(static_cast<uint32_t>(value));
}

// An enumeration text outside its table reads as 0, the quality mode as
// NOT_IMPLEMENTED.
template <class E>
constexpr E UnknownValue() {
    if constexpr (std::is_same_v<E, DLNA_REC_QUALITY_MODE>) return DLNA_REC_QUALITY_NOT_IMPLEMENTED;
    return static_cast<E>(0);
}

inline std::string ValueOf(const ResponseValues& values, const char* argument) {
    auto found = values.find(argument);
    return found == values.end() ? std::string() : found->second;
}

}  // namespace record_detail

// The value a plain record given by a host stands for; NULL strings read as
// empty, enumeration values are taken unchecked.
template <class R>
R FromRecord(const CRecordOf<R>& record) {
    R value;
    record_detail::ForEachField<R>([&](const auto& field) {
        using T = std::remove_reference_t<decltype(value.*field.value)>;
        if constexpr (record_detail::kIsText<T>)
            value.*field.value = TextOf(record.*field.record);
        else if constexpr (record_detail::kIsEnum<T>)
            std::memcpy(&(value.*field.value).raw, &(record.*field.record), sizeof(int32_t));
        else
            value.*field.value = record.*field.record;
    });
    return value;
}

// Fills a caller's plain record; every string is a new copy, released with
// FreeRecordStrings (the DLNA_DMRC_Free... functions).
template <class R>
void CopyToRecord(const R& value, CRecordOf<R>& record) {
    record_detail::ForEachField<R>([&](const auto& field) {
        using T = std::remove_cvref_t<decltype(value.*field.value)>;
        if constexpr (record_detail::kIsText<T>)
            record.*field.record = DupString(value.*field.value);
        else if constexpr (record_detail::kIsEnum<T>)
            std::memcpy(&(record.*field.record), &(value.*field.value).raw, sizeof(int32_t));
        else
            record.*field.record = value.*field.value;
    });
}

// Frees exactly the record's strings, never the record; NULL is accepted.
template <class R>
void FreeRecordStrings(CRecordOf<R>* record) {
    if (!record) return;
    record_detail::ForEachField<R>([&](const auto& field) {
        if constexpr (std::is_same_v<std::remove_reference_t<decltype(record->*field.record)>,
                                     char*>)
            FreeString(record->*field.record);
    });
}

// Appends the action's out-arguments in table order. False, with the
// argument's name in `unwritable`, when a stored enumeration value has no
// text: such a value is never looked up past its table.
template <class R>
bool ToArguments(const R& value, ActionResults& results, std::string* unwritable = nullptr) {
    bool written = true;
    record_detail::ForEachField<R>([&](const auto& field) {
        using T = std::remove_cvref_t<decltype(value.*field.value)>;
        if (!written) return;
        if constexpr (record_detail::kIsText<T>) {
            results.emplace_back(field.argument, value.*field.value);
        } else if constexpr (record_detail::kIsEnum<T>) {
            auto text = TableOf(typename T::Enum{}).Text(value.*field.value);
            if (!text) {
                written = false;
                if (unwritable) *unwritable = field.argument;
                return;
            }
            results.emplace_back(field.argument, std::string(*text));
        } else {
            results.emplace_back(field.argument, record_detail::NumberText(value.*field.value));
        }
    });
    return written;
}

// ", NrTracks: 0, MediaDuration: 00:00:00, ..." for the answered-query log
// line; enumerations as decimal numbers.
template <class R>
std::string LogFields(const R& value) {
    std::string text;
    record_detail::ForEachField<R>([&](const auto& field) {
        using T = std::remove_cvref_t<decltype(value.*field.value)>;
        text += ", ";
        text += field.argument;
        text += ": ";
        if constexpr (record_detail::kIsText<T>)
            text += value.*field.value;
        else if constexpr (record_detail::kIsEnum<T>)
            text += std::to_string((value.*field.value).raw);
        else
            text += record_detail::NumberText(value.*field.value);
    });
    return text;
}

// Controller side: the record a remote renderer's response describes. 2,
// with `out` untouched, when a number does not convert strictly (the whole
// text a decimal number); an enumeration text outside its table is logged
// and read as 0 (quality mode: NOT_IMPLEMENTED). Otherwise 0.
template <class R>
int FromResponse(const ResponseValues& values, R& out) {
    using namespace record_detail;
    R value;
    bool converted = true;
    std::string numbers;
    ForEachField<R>([&](const auto& field) {
        using T = std::remove_cvref_t<decltype(value.*field.value)>;
        if constexpr (kIsNumber<T>) {
            const std::string text = ValueOf(values, field.argument);
            if (!numbers.empty()) numbers += ", ";
            numbers += std::string(field.field) + "_=" + LogSafe(text);
            if (!ConvertParameter(text, value.*field.value)) converted = false;
        }
    });
    if (!converted) {
        LogLine(DlnaLog(), LogLevel::Error) << "Invalid parameters: " << numbers;
        return 2;
    }
    ForEachField<R>([&](const auto& field) {
        using T = std::remove_cvref_t<decltype(value.*field.value)>;
        const std::string text = ValueOf(values, field.argument);
        if constexpr (kIsText<T>) {
            value.*field.value = text;
        } else if constexpr (kIsEnum<T>) {
            if (auto found = TableOf(typename T::Enum{}).Value(text)) {
                value.*field.value = *found;
            } else {
                value.*field.value = UnknownValue<typename T::Enum>();
                LogLine(DlnaLog(), field.unknown_level)
                    << "Invalid parameter: " << field.field << "_=" << LogSafe(text);
            }
        }
    });
    out = std::move(value);
    return 0;
}

template <class R>
int FromResponse(const UpnpAction& action, R& out) {
    return FromResponse(ResponseValuesOf(action), out);
}
