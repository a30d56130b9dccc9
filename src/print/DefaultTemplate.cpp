#include "print/DefaultTemplate.h"

const std::vector<std::string>& DefaultTemplateLines()
{
    static const std::vector<std::string> lines {
        "Dear [M]",
        "You have been assigned [G] in the Kris Kringle. ",
        "You are requested to purchase and wrap a suitable present for [G] ",
        "The value of the present is as agreed.",
        "This note has been produced by an automated computer program.",
        "It is possible that no one else knows who you have been assigned.",
        "Do not loose this note. ",
    };
    return lines;
}
