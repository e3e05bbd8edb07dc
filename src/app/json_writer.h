// A small streaming JSON writer for the machine-readable outputs of the server's commands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace iec {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view utf8);
    JsonWriter& Int(long long v);
    JsonWriter& Real(double v);
    JsonWriter& Bool(bool v);

    // Key and value in one call.
    template <typename T>
    JsonWriter& Field(std::string_view key, const T& v);

    const std::string& str() const { return out_; }

private:
    void BeforeValue();
    void WriteQuoted(std::string_view s);
    std::string out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool after_key_ = false;
};

template <typename T>
JsonWriter& JsonWriter::Field(std::string_view key, const T& v) {
    Key(key);
    if constexpr (std::is_same_v<T, bool>) return Bool(v);
    else if constexpr (std::is_integral_v<T>) return Int(v);
    else if constexpr (std::is_floating_point_v<T>) return Real(v);
    else return String(v);
}

}  // namespace iec
