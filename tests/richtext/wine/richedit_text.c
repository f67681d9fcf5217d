/* Loads an RTF file into the Windows rich-edit control (riched20, through EM_STREAMIN) and
 * writes the plain text the control then holds, as UTF-8, paragraphs joined by "\n".
 * Usage: richedit_text input.rtf output.txt */
#include <richedit.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static DWORD CALLBACK readFile(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    *got = (LONG)fread(buffer, 1, (size_t)wanted, (FILE*)cookie);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: richedit_text input.rtf output.txt\n");
        return 2;
    }
    if (!LoadLibraryA("riched20.dll")) {
        fprintf(stderr, "riched20.dll not found\n");
        return 1;
    }
    HWND edit = CreateWindowExW(0, RICHEDIT_CLASSW, L"", ES_MULTILINE | WS_POPUP, 0, 0, 400, 300,
                                NULL, NULL, GetModuleHandleW(NULL), NULL);
    if (!edit) {
        fprintf(stderr, "no rich-edit window: %lu\n", GetLastError());
        return 1;
    }
    FILE* input = fopen(argv[1], "rb");
    if (!input) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    EDITSTREAM stream = {(DWORD_PTR)input, 0, readFile};
    SendMessageW(edit, EM_STREAMIN, SF_RTF, (LPARAM)&stream);
    fclose(input);
    if (stream.dwError != 0) {
        fprintf(stderr, "EM_STREAMIN failed: %lu\n", stream.dwError);
        return 1;
    }

    GETTEXTLENGTHEX lengthOf = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT length = SendMessageW(edit, EM_GETTEXTLENGTHEX, (WPARAM)&lengthOf, 0);
    WCHAR* text = calloc((size_t)length + 2, sizeof(WCHAR));
    GETTEXTEX getText = {(DWORD)((length + 1) * sizeof(WCHAR)), GT_DEFAULT, 1200, NULL, NULL};
    SendMessageW(edit, EM_GETTEXTEX, (WPARAM)&getText, (LPARAM)text);

    /* The control ends paragraphs with a carriage return. */
    for (WCHAR* c = text; *c; ++c)
        if (*c == L'\r')
            *c = L'\n';
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char* utf8 = malloc((size_t)bytes);
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, bytes, NULL, NULL);
    FILE* output = fopen(argv[2], "wb");
    if (!output) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    fwrite(utf8, 1, strlen(utf8), output);
    fclose(output);
    DestroyWindow(edit);
    return 0;
}
