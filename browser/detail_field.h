// A read-only field of the Details dialog and the text it shows.
#pragma once
#include <string>
#include <vector>

struct DetailField {
    int controlId;
    std::string text;
};

using DetailFields = std::vector<DetailField>;
