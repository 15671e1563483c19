/* The least a batch of small files costs, to measure pvx against: for each
 * file of a folder, read it, write a temporary file beside it, flush that to
 * the disk, rename it to the file's name with ".pvx" and delete the file. No
 * transform, no name checks, no clash or creation probes.
 *
 *   batch_floor FOLDER
 *
 * The names are listed first, so that the outputs never enter the listing. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>

static int one(const wchar_t* folder, const wchar_t* name, char* buffer, DWORD size) {
    wchar_t src[MAX_PATH], tmp[MAX_PATH], dst[MAX_PATH];
    swprintf(src, MAX_PATH, L"%ls\\%ls", folder, name);
    swprintf(tmp, MAX_PATH, L"%ls\\~floor.tmp", folder);
    swprintf(dst, MAX_PATH, L"%ls\\%.*ls.pvx", folder, (int)(wcsrchr(name, L'.') - name), name);
    HANDLE in = CreateFileW(src, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (in == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    BOOL ok = ReadFile(in, buffer, size, &got, NULL);
    CloseHandle(in);
    HANDLE out = CreateFileW(tmp, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (!ok || out == INVALID_HANDLE_VALUE) return 0;
    DWORD put = 0;
    ok = WriteFile(out, buffer, got, &put, NULL) && FlushFileBuffers(out);
    CloseHandle(out);
    return ok && MoveFileExW(tmp, dst, MOVEFILE_WRITE_THROUGH) && DeleteFileW(src);
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    wchar_t pattern[MAX_PATH];
    swprintf(pattern, MAX_PATH, L"%ls\\*.bin", argv[1]);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return 1;
    size_t count = 0, room = 1024;
    wchar_t (*names)[MAX_PATH] = malloc(room * sizeof *names);
    do {
        if (count == room) names = realloc(names, (room *= 2) * sizeof *names);
        wcscpy(names[count++], data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    static char buffer[1 << 20];
    size_t done = 0;
    for (size_t i = 0; i < count; ++i) done += one(argv[1], names[i], buffer, sizeof buffer);
    free(names);
    return done == count ? 0 : 1;
}

#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

static int one(const char* folder, const char* name, char* buffer, size_t size) {
    char src[4096], tmp[4096], dst[4096];
    snprintf(src, sizeof src, "%s/%s", folder, name);
    snprintf(tmp, sizeof tmp, "%s/~floor.tmp", folder);
    snprintf(dst, sizeof dst, "%s/%.*s.pvx", folder, (int)(strrchr(name, '.') - name), name);
    int in = open(src, O_RDONLY);
    if (in < 0) return 0;
    ssize_t got = read(in, buffer, size);
    close(in);
    int out = open(tmp, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (got < 0 || out < 0) return 0;
    int ok = write(out, buffer, (size_t)got) == got && fsync(out) == 0;
    close(out);
    return ok && rename(tmp, dst) == 0 && unlink(src) == 0;
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    DIR* dir = opendir(argv[1]);
    if (!dir) return 1;
    size_t count = 0, room = 1024;
    char (*names)[256] = malloc(room * sizeof *names);
    for (struct dirent* e; (e = readdir(dir));) {
        const size_t n = strlen(e->d_name);
        if (n < 5 || strcmp(e->d_name + n - 4, ".bin") != 0) continue;
        if (count == room) names = realloc(names, (room *= 2) * sizeof *names);
        strcpy(names[count++], e->d_name);
    }
    closedir(dir);
    static char buffer[1 << 20];
    size_t done = 0;
    for (size_t i = 0; i < count; ++i) done += one(argv[1], names[i], buffer, sizeof buffer);
    free(names);
    return done == count ? 0 : 1;
}
#endif
