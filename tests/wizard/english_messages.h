// The English and French messages the wizard shows, as a table for the
// locale seam (English block 2000 + offset, French block 1000 + offset).
#pragma once

#include <map>
#include <string>

namespace test {

inline std::map<int, std::wstring> WizardMessages()
{
    const std::map<int, std::pair<std::wstring, std::wstring>> messages = {
        {0, {L"Installer", L"Installeur"}},
        {1, {L"OK", L"OK"}},
        {2, {L"Cancel", L"Annuler"}},
        {3, {L"About '%1'", L"\u00C0 propos de '%1'"}},
        {4, {L"Exit", L"Quitter"}},
        {5, {L"Back", L"Pr\u00E9c\u00E9dent"}},
        {6, {L"Next", L"Suivant"}},
        {7, {L"Install", L"Installer"}},
        {8, {L"Browse...", L"Parcourir..."}},
        {9, {L"Start menu", L"Menu D\u00E9marrer"}},
        {10, {L"Installation Folder Selection", L"S\u00E9lection du dossier d'installation"}},
        {14, {L"Select Installation Langage", L"S\u00E9lectionnez la langue d'installation"}},
        {15, {L"Installation Method", L"M\u00E9thode d'installation"}},
        {16, {L"Quick Installation (Recommended)", L"Installation rapide (recommand\u00E9e)"}},
        {17, {L"Advanced Installation", L"Installation personnalis\u00E9e"}},
        {100, {L"'%1' Installation.", L"Installation de '%1'."}},
        {101, {L"Update from '%1' to '%2'.", L"Mise \u00E0 jour de '%1' vers '%2'."}},
        {102, {L"'%1' is already installed.", L"'%1' est d\u00E9j\u00E0 install\u00E9."}},
        {103,
            {L"A more recent Version (%1) is already installed.",
                L"Une version plus r\u00E9cente (%1) est d\u00E9j\u00E0 install\u00E9e."}},
        {104, {L"Do you confirm Reinstallation ?", L"Souhaitez-vous vraiment effectuer une r\u00E9installation ?"}},
        {105,
            {L"Click on '%1' to continue or on '%2' to exit Installation.",
                L"Cliquez sur '%1' pour continuer ou sur '%2' pour quitter l'installeur."}},
        {106, {L"Click on '%1' to continue.", L"Cliquez sur '%1' pour continuer."}},
        {107, {L"Click on '%1' to exit Installation.", L"Cliquez sur '%1' pour quitter l'installeur."}},
        {108, {L"Click on '%1' to start Installation.", L"Cliquez sur '%1' pour d\u00E9marrer l'installation."}},
        {109, {L"'%1' is protected by law.", L"'%1' est prot\u00E9g\u00E9 par la loi."}},
        {110,
            {L"Installation is not complete.\r\n\r\nDo you still confirm exit Installation ?",
                L"L'installation n'est pas achev\u00E9e."}},
        {111, {L"Select '%1' Installation Folder.", L"S\u00E9lectionnez le dossier de '%1'."}},
        {112, {L"Create a Shortcut in the following Menu:", L"Cr\u00E9er un raccourci dans le menu suivant :"}},
        {113, {L"Create a Shortcut on the Desktop.", L"Cr\u00E9er un raccourci sur le bureau."}},
        {121, {L"Installation failed (Error Code %1).", L"\u00C9chec de l'installation (code d'erreur %1)."}},
        {129,
            {L"'%1' will be installed in the selected Langage, but the Installer, still under translation,  shall "
             L"run in English.",
                L"'%1' sera install\u00E9 dans la langue choisie, mais l'installeur, en cours de traduction, "
                L"s'ex\u00E9cutera en fran\u00E7ais."}},
        {120, {L"Installation is complete.", L"L'installation est termin\u00E9e."}},
        {122, {L"Installation Options", L"Options d'installation"}},
        {123, {L"Installation Folder: %1.", L"Dossier d'installation : %1."}},
        {124,
            {L"Creating a Shortcut in the Start Menu (Folder %1).",
                L"Cr\u00E9ation d'un raccourci dans le menu D\u00E9marrer (dossier %1)."}},
        {125, {L"Creating a Shortcut on the Desktop.", L"Cr\u00E9ation d'un raccourci sur le bureau."}},
    };
    std::map<int, std::wstring> table;
    for (const auto& [offset, texts] : messages) {
        table[2000 + offset] = texts.first;
        table[1000 + offset] = texts.second;
    }
    return table;
}

}  // namespace test
