// A form source that passes every question on to one bound later: the window reads its form
// itself, yet is made after the fetch it is given.
#pragma once

#include "net/QuoteFetch.h"

#include <cassert>

namespace pellmark {

class FormRelay : public QuoteFormSource {
public:
    void Bind(const QuoteFormSource& form) { form_ = &form; }

    std::string hostLabel() const override { return Form().hostLabel(); }
    LineOrder lineOrder() const override { return Form().lineOrder(); }
    std::string separator() const override { return Form().separator(); }

private:
    const QuoteFormSource& Form() const {
        assert(form_ && "a fetch started before its form was bound");
        return *form_;
    }

    const QuoteFormSource* form_ = nullptr;
};

} // namespace pellmark
