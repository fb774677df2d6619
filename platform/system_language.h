#pragma once

namespace stravener {

// The language of the user's system, for a first start with no stored language: Polish (0)
// where the user works in Polish, English (1) otherwise. On Windows it is the user's UI
// language (GetUserDefaultUILanguage); on POSIX the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty decides.
// Polish exactly when the deciding locale name's language is "pl" (pl, pl_PL.UTF-8,
// pl_PL@euro).
int SystemLanguage();

}  // namespace stravener
