#pragma once

namespace ZQ
{
// The mix-in of every framework exception: code that holds any of them, whatever its kind, reads its
// text through What().
class ExceptionBase
{
public:
    virtual ~ExceptionBase();

    // The text of the complete exception object (its std::exception part's what()).
    [[nodiscard]] virtual const char* What() const;
};
} // namespace ZQ
