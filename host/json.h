// A small JSON writer for the command line's reports: values are written in order, with
// commas and escaping handled here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kmcdoc {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Number(double value);
    JsonWriter& Integer(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);

    std::string text_;
    std::vector<bool> hasItems_;  // per open container
    bool afterKey_ = false;
};

std::string JsonEscape(std::string_view text);

}  // namespace kmcdoc
