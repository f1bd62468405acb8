#include "core/app_title.h"

namespace zo {

Text ApplicationTitle(TextView exeFileName) {
    Text title{exeFileName.substr(0, exeFileName.find(u'.'))};
    for (std::size_t i = 1; i < title.size(); ++i) title[i] = LowerUnit(title[i]);
    return title;
}

Text ErrorBoxText(TextView errorText) {
    Text text{errorText};
    // A plain code comparison, not a punctuation test: a text ending in ".", "!" or ")" keeps its
    // end, while letters, digits and Japanese text (even one ending in "．") get an ASCII stop.
    if (!text.empty() && text.back() > u'.') text += u'.';
    return text;
}

}  // namespace zo
