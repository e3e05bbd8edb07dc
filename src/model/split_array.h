// Splits a delimited line into at most FSize fields; separators inside double quotes do not split, and the
// quotes stay part of the field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace iec {

class TSplitArray {
public:
    TSplitArray(int size, char dev);

    // Each field is trimmed of blanks and control characters. A separator at the end of the line opens no empty
    // field; an empty line gives none; a quote left open drops the field it opened. Fields beyond FSize are
    // dropped.
    void SplitString(std::string_view strInp);
    // The field, or an empty text when ind is not below nvar.
    const std::string& GetField(int ind) const;

    int nvar = 0;
    int FSize;
    char Fdev;

private:
    std::vector<std::string> List;
};

}  // namespace iec
