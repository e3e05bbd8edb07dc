#include "app/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace iec {

void JsonWriter::BeforeValue() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ += ',';
        first_.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    WriteQuoted(key);
    out_ += ':';
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view s) {
    BeforeValue();
    WriteQuoted(s);
    return *this;
}

void JsonWriter::WriteQuoted(std::string_view s) {
    out_ += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out_ += buf;
                } else {
                    out_ += ch;
                }
        }
    }
    out_ += '"';
}

JsonWriter& JsonWriter::Int(long long v) {
    BeforeValue();
    out_ += std::to_string(v);
    return *this;
}

JsonWriter& JsonWriter::Real(double v) {
    BeforeValue();
    if (!std::isfinite(v)) {
        out_ += "null";
        return *this;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest form that reads back, "." always
    out_.append(buf, r.ptr);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool v) {
    BeforeValue();
    out_ += v ? "true" : "false";
    return *this;
}

}  // namespace iec
