#pragma once
// The picture control's own texts: property page captions and choices, the
// picture chooser and the picture-loading failures.

namespace quorpict::texts {

inline constexpr const char* kGeneralPage = "General";
inline constexpr const char* kBevelsPage = "Bevels";
inline constexpr const char* kPropertiesCaption = "Quorvane Picture Properties";

// "General" page.
inline constexpr const char* kTextGroup = "Text";
inline constexpr const char* kTextVertical = "&Vertical Placement";
inline constexpr const char* kTextHorizontal = "&Horizontal Placement";
inline constexpr const char* kPictureGroup = "Picture";
inline constexpr const char* kStretchImage = "&Stretch Image";
inline constexpr const char* kPictureVertical = "V&ertical Placement";
inline constexpr const char* kPictureHorizontal = "H&orizontal Placement";
inline constexpr const char* kTextVerticalChoices[] = {"0 - Top", "1 - Center", "2 - Bottom", "3 - Top Border",
                                                       "4 - Bottom Border"};
inline constexpr const char* kHorizontalChoices[] = {"0 - Left", "1 - Center", "2 - Right"};
inline constexpr const char* kPictureVerticalChoices[] = {"0 - Top", "1 - Center", "2 - Bottom"};

// "Bevels" page.
inline constexpr const char* kOuterBevel = "Outer Bevel";
inline constexpr const char* kInnerBevel = "Inner Bevel";
inline constexpr const char* kBevelWidth = "Bevel &Width";
inline constexpr const char* kInterBevelWidth = "In&ter Bevel Width";
inline constexpr const char* kBevelStyleChoices[] = {"0 - Flat", "1 - Raised", "2 - Inset"};

// Picture chooser and loading failures (%1: the file).
inline constexpr const char* kBrowseTitle = "Load Picture";
inline constexpr const char* kPictureFilter =
    "Pictures (*.bmp *.png *.jpg *.jpeg *.gif *.ico *.xpm *.ppm);;All Files (*)";
inline constexpr const char* kAccessDenied = "Access to the picture file %1 was denied.";
inline constexpr const char* kOutOfMemory = "There is not enough memory to load the picture file %1.";
inline constexpr const char* kReadFailed = "The picture file %1 could not be read.";
inline constexpr const char* kNotAPicture = "The file %1 does not hold a picture.";

inline constexpr const char* kAboutCaption = "About Quorvane Picture";
inline constexpr const char* kAboutText = "Quorvane Picture control, version 6.0";

}  // namespace quorpict::texts
