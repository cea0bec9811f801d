#pragma once
// Ctrl+H in the local lists shows and hides dot-files (.htaccess, .env), as
// file managers on Linux do. The choice is kept in the settings; hidden files
// stay out until it is made.

class Form1;

void setupHiddenFilesToggle(Form1& window);
// The settings value that keeps the choice: "1" shows dot-files.
inline constexpr const char* showHiddenFilesSetting = "Show Hidden Files";
