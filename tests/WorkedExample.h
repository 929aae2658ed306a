#pragma once

#include <string>
#include <vector>

// The eight-line story of the morning alarm: a choice, a flag, a plain jump
// and a conditional one, two endings. Several suites read it end to end.
inline const std::vector<std::u16string> WorkedExampleLines = {
    u"[start]Morning. The alarm rings.",
    u"Get up or sleep on??[up],[sleep]",
    u"[up]You get up.::AON",
    u"You leave the house.>>[road]",
    u"[sleep]You sleep on.::AOFF",
    u"[road]On the road.>>A[bus],[late]",
    u"[bus]You catch the bus.::END",
    u"[late]You miss the bus.::END",
};
