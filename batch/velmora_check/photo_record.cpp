#include "photo_record.h"

#include <tuple>

namespace velmora_check {

std::string Outcome::Label() const
{
    switch (kind) {
    case Kind::Accepted: return "accepted";
    case Kind::Tip: return "tip " + std::to_string(tip);
    case Kind::Error: break;
    }
    return "error: " + error;
}

std::string Outcome::Token() const
{
    std::string token;
    for (const char c : Label()) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            token += c;
        else if (c >= 'A' && c <= 'Z')
            token += static_cast<char>(c - 'A' + 'a');
        else if (!token.empty() && token.back() != '-')
            token += '-';
    }
    while (!token.empty() && token.back() == '-')
        token.pop_back();
    return token;
}

bool SummaryOrder(const Outcome& a, const Outcome& b)
{
    return std::tie(a.kind, a.tip, a.error) < std::tie(b.kind, b.tip, b.error);
}

}  // namespace velmora_check
