/* Loads RTF files into the Windows rich-edit control (riched20, through EM_STREAMIN) and writes,
 * as UTF-8, what the control then holds: its plain text, each run of characters with its
 * formatting, each paragraph's alignment, and the pictures the control writes back when asked
 * for RTF (EM_STREAMOUT), by kind, size and a digest of their data.
 * Usage: richedit_dump output.txt input.rtf... */
#include <ctype.h>
#include <richedit.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

struct buffer {
    char* data;
    size_t size;
    size_t capacity;
};

static void append(struct buffer* buffer, const void* data, size_t size) {
    if (buffer->size + size + 1 > buffer->capacity) {
        buffer->capacity = (buffer->size + size + 1) * 2;
        buffer->data = realloc(buffer->data, buffer->capacity);
    }
    memcpy(buffer->data + buffer->size, data, size);
    buffer->size += size;
    buffer->data[buffer->size] = 0;
}

static DWORD CALLBACK readFile(DWORD_PTR cookie, LPBYTE data, LONG wanted, LONG* got) {
    *got = (LONG)fread(data, 1, (size_t)wanted, (FILE*)cookie);
    return 0;
}

static DWORD CALLBACK collect(DWORD_PTR cookie, LPBYTE data, LONG size, LONG* taken) {
    append((struct buffer*)cookie, data, (size_t)size);
    *taken = size;
    return 0;
}

static void utf8(FILE* out, const WCHAR* text, int length) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
    char* converted = malloc((size_t)bytes + 1);
    WideCharToMultiByte(CP_UTF8, 0, text, length, converted, bytes, NULL, NULL);
    fwrite(converted, 1, (size_t)bytes, out);
    free(converted);
}

static void formatOf(HWND edit, LONG at, char* line, size_t size) {
    CHARRANGE range = {at, at + 1};
    CHARFORMAT2W format;
    SendMessageW(edit, EM_EXSETSEL, 0, (LPARAM)&range);
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_SIZE |
                    CFM_FACE | CFM_CHARSET;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    char face[LF_FACESIZE * 4];
    WideCharToMultiByte(CP_UTF8, 0, format.szFaceName, -1, face, sizeof face, NULL, NULL);
    char color[16] = "auto";
    if (!(format.dwEffects & CFE_AUTOCOLOR))
        snprintf(color, sizeof color, "#%02x%02x%02x", GetRValue(format.crTextColor),
                 GetGValue(format.crTextColor), GetBValue(format.crTextColor));
    snprintf(line, size, "b=%d i=%d u=%d s=%d color=%s size=%ld face=\"%s\" charset=%d",
             !!(format.dwEffects & CFE_BOLD), !!(format.dwEffects & CFE_ITALIC),
             !!(format.dwEffects & CFE_UNDERLINE), !!(format.dwEffects & CFE_STRIKEOUT), color,
             (long)format.yHeight, face, format.bCharSet);
}

static const char* alignmentOf(HWND edit, LONG at) {
    CHARRANGE range = {at, at};
    PARAFORMAT2 format;
    SendMessageW(edit, EM_EXSETSEL, 0, (LPARAM)&range);
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = PFM_ALIGNMENT;
    SendMessageW(edit, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    switch (format.wAlignment) {
    case PFA_CENTER:
        return "center";
    case PFA_RIGHT:
        return "right";
    case PFA_JUSTIFY:
        return "justify";
    default:
        return "left";
    }
}

/* Each \pict group of the RTF: the word after \pict that names its kind, and its data. */
static void pictures(FILE* out, const char* rtf) {
    for (const char* at = strstr(rtf, "{\\pict"); at; at = strstr(at + 1, "{\\pict")) {
        const char* kind = strstr(at, "blip");
        const char* wmf = strstr(at, "\\wmetafile");
        const char* dib = strstr(at, "\\dibitmap");
        const char* end = at + 1;
        int depth = 1;
        unsigned long long digest = 1469598103934665603ULL;
        size_t digits = 0;
        const char* data = NULL;
        for (; *end && depth > 0; ++end) {
            if (*end == '{')
                ++depth;
            else if (*end == '}')
                --depth;
        }
        /* The data is the run of hexadecimal digits after the last control word. */
        for (const char* c = at; c < end; ++c) {
            if (*c != '\\')
                continue;
            ++c;
            while (c < end && (isalnum((unsigned char)*c) || *c == '-'))
                ++c;
            data = c;
        }
        for (const char* c = data ? data : at; c < end; ++c) {
            if (!isxdigit((unsigned char)*c))
                continue;
            digest = (digest ^ (unsigned char)tolower(*c)) * 1099511628211ULL;
            ++digits;
        }
        const char* name = "other";
        if (wmf && wmf < end)
            name = "wmf";
        else if (dib && dib < end)
            name = "dib";
        else if (kind && kind < end)
            name = strncmp(kind - 3, "emf", 3) == 0   ? "emf"
                   : strncmp(kind - 3, "png", 3) == 0 ? "png"
                                                      : "jpeg";
        fprintf(out, "picture %s %zu %016llx\n", name, digits / 2, digest);
    }
}

static int dump(FILE* out, const char* path) {
    HWND edit = CreateWindowExW(0, RICHEDIT_CLASSW, L"", ES_MULTILINE | WS_POPUP, 0, 0, 400, 300,
                                NULL, NULL, GetModuleHandleW(NULL), NULL);
    FILE* input = fopen(path, "rb");
    if (!edit || !input) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    /* The memo editor's own font, as the program set it: RTF text that states nothing else is in
     * it (the control's default is the bold System font). */
    CHARFORMAT2W editorFont;
    memset(&editorFont, 0, sizeof editorFont);
    editorFont.cbSize = sizeof editorFont;
    editorFont.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_COLOR;
    editorFont.dwEffects = CFE_AUTOCOLOR;
    editorFont.yHeight = 240;
    editorFont.bCharSet = SHIFTJIS_CHARSET;
    wcscpy(editorFont.szFaceName, L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&editorFont);
    EDITSTREAM in = {(DWORD_PTR)input, 0, readFile};
    SendMessageW(edit, EM_STREAMIN, SF_RTF, (LPARAM)&in);
    fclose(input);

    GETTEXTLENGTHEX lengthOf = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LONG length = (LONG)SendMessageW(edit, EM_GETTEXTLENGTHEX, (WPARAM)&lengthOf, 0);
    WCHAR* text = calloc((size_t)length + 2, sizeof(WCHAR));
    GETTEXTEX getText = {(DWORD)((length + 1) * sizeof(WCHAR)), GT_DEFAULT, 1200, NULL, NULL};
    SendMessageW(edit, EM_GETTEXTEX, (WPARAM)&getText, (LPARAM)text);

    fprintf(out, "== %s\n", strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path);
    char format[512], last[512] = "";
    LONG runStart = -1;
    for (LONG at = 0; at <= length; ++at) {
        const int paragraphStarts = at == 0 || text[at - 1] == L'\r';
        const int paragraphEnds = at == length || text[at] == L'\r';
        if (!paragraphEnds)
            formatOf(edit, at, format, sizeof format);
        if (runStart >= 0 && (paragraphEnds || strcmp(format, last) != 0)) {
            fprintf(out, "run %s \"", last);
            utf8(out, text + runStart, at - runStart);
            fprintf(out, "\"\n");
            runStart = -1;
        }
        if (paragraphStarts && at < length)
            fprintf(out, "paragraph %s\n", alignmentOf(edit, at));
        if (!paragraphEnds && runStart < 0) {
            runStart = at;
            strcpy(last, format);
        }
    }
    struct buffer rtf = {0};
    EDITSTREAM outStream = {(DWORD_PTR)&rtf, 0, collect};
    SendMessageW(edit, EM_STREAMOUT, SF_RTF, (LPARAM)&outStream);
    if (rtf.data)
        pictures(out, rtf.data);
    free(rtf.data);
    free(text);
    DestroyWindow(edit);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: richedit_dump output.txt input.rtf...\n");
        return 2;
    }
    if (!LoadLibraryA("riched20.dll")) {
        fprintf(stderr, "riched20.dll not found\n");
        return 1;
    }
    FILE* out = fopen(argv[1], "wb");
    if (!out) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i)
        if (dump(out, argv[i]) != 0)
            return 1;
    fclose(out);
    return 0;
}
