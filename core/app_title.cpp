#include "core/app_title.h"

#include "core/lower_case.h"

namespace zo {

Text ApplicationTitle(TextView exeFileName) {
    const TextView name = exeFileName.substr(0, exeFileName.find(u'.'));
    // The first character stays as it is; a letter outside the basic plane is two units.
    const bool pairFirst =
        name.size() >= 2 && name[0] >= 0xD800 && name[0] <= 0xDBFF && name[1] >= 0xDC00 && name[1] <= 0xDFFF;
    const std::size_t firstUnits = name.empty() ? 0 : (pairFirst ? 2 : 1);
    return Text{name.substr(0, firstUnits)} + LowerText(name.substr(firstUnits));
}

Text ErrorBoxText(TextView errorText) {
    Text text{errorText};
    // A plain code comparison, not a punctuation test: a text ending in ".", "!" or ")" keeps its
    // end, while letters, digits and Japanese text (even one ending in "．") get an ASCII stop.
    if (!text.empty() && text.back() > u'.') text += u'.';
    return text;
}

}  // namespace zo
