#include "FilterLanguage.h"

#include "FilterParser.h"

namespace kodexa {
namespace {

class CompiledFilter final : public RowPredicate {
public:
    explicit CompiledFilter(filter::ConditionPtr condition) : condition_(std::move(condition)) {}

    bool matches(const RowAccess& rows, std::size_t row) const override {
        return condition_->test(rows, row) == filter::Truth::True;
    }
    std::vector<FieldBound> bounds() const override {
        std::vector<FieldBound> bounds;
        condition_->addBounds(bounds);
        return bounds;
    }

private:
    filter::ConditionPtr condition_;
};

} // namespace

std::unique_ptr<RowPredicate> FilterLanguage::compile(std::string_view expression,
                                                      const RowAccess& fields) const {
    return std::make_unique<CompiledFilter>(filter::parseFilter(expression, fields));
}

std::shared_ptr<const FilterCompiler> filterLanguage() {
    static const std::shared_ptr<const FilterCompiler> language = std::make_shared<const FilterLanguage>();
    return language;
}

} // namespace kodexa
