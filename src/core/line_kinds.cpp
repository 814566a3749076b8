#include "core/line_kinds.h"

#include <algorithm>

namespace vek {

void LineKinds::Add(LineKind kind, bool continues) {
    kinds_.push_back(continues && !kinds_.empty() ? kinds_.back() : kind);
}

KindView::KindView(const LineKinds& kinds, KindFilter filter) : kinds_(&kinds), filter_(filter) { CatchUp(); }

void KindView::SetFilter(KindFilter filter) {
    if (filter == filter_) return;
    filter_ = filter;
    entries_.clear();
    seen_ = 0;
    if (filter_.IsAll()) entries_.shrink_to_fit();
    CatchUp();
}

void KindView::CatchUp() {
    const std::size_t size = kinds_->Size();
    if (!filter_.IsAll()) {
        for (std::size_t i = seen_; i < size; ++i)
            if (filter_.Has((*kinds_)[i])) entries_.push_back(static_cast<std::uint32_t>(i));
    }
    seen_ = size;
}

std::size_t KindView::LinesBefore(std::size_t entry) const {
    if (filter_.IsAll()) return std::min(entry, seen_);
    return static_cast<std::size_t>(std::lower_bound(entries_.begin(), entries_.end(), entry) - entries_.begin());
}

}  // namespace vek
