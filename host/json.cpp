#include "json.h"

#include <cmath>
#include <cstdio>

#include "nox/format.h"

namespace kmcdoc {

std::string JsonEscape(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back()) text_ += ',';
        hasItems_.back() = true;
    }
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    text_ += bracket;
    hasItems_.push_back(false);
}

void JsonWriter::Close(char bracket) {
    text_ += bracket;
    hasItems_.pop_back();
}

JsonWriter& JsonWriter::BeginObject() { return Open('{'), *this; }
JsonWriter& JsonWriter::EndObject() { return Close('}'), *this; }
JsonWriter& JsonWriter::BeginArray() { return Open('['), *this; }
JsonWriter& JsonWriter::EndArray() { return Close(']'), *this; }

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    text_ += JsonEscape(key) + ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    text_ += JsonEscape(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    BeforeValue();
    text_ += std::isfinite(value) ? nox::FormatDouble(value) : "null";  // JSON has no infinities
    return *this;
}

JsonWriter& JsonWriter::Integer(long long value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

}  // namespace kmcdoc
