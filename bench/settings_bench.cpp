// Load store plus save store of five profiles: our INI code against the same
// work through kernel32's private-profile functions, in one run.
//   settings_bench [iterations]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/file_system.h"
#include "settings/settings_files.h"

namespace {

using namespace kestra;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void SystemLoadProfile(const std::string& path, ProfileSettings& p) {
    unsigned char* base = reinterpret_cast<unsigned char*>(&p);
    for (const ProfileKey& key : ProfileKeys()) {
        unsigned char* field = base + key.offset;
        switch (key.kind) {
        case ProfileKey::kString: {
            char text[2048];
            GetPrivateProfileStringA("Setting", key.name.c_str(), "", text, sizeof text, path.c_str());
            CopyText(reinterpret_cast<char*>(field), key.size, text);
            break;
        }
        case ProfileKey::kInt32: {
            int32_t v = static_cast<int32_t>(GetPrivateProfileIntA("Setting", key.name.c_str(), -1, path.c_str()));
            memcpy(field, &v, 4);
            break;
        }
        case ProfileKey::kByte:
            *field = static_cast<unsigned char>(GetPrivateProfileIntA("Setting", key.name.c_str(), -1, path.c_str()));
            break;
        case ProfileKey::kButton:
            GetPrivateProfileStructA("Setting", key.name.c_str(), field, static_cast<UINT>(key.size), path.c_str());
            break;
        }
    }
}

void SystemSaveProfile(const std::string& path, const ProfileSettings& p) {
    const unsigned char* base = reinterpret_cast<const unsigned char*>(&p);
    for (const ProfileKey& key : ProfileKeys()) {
        const unsigned char* field = base + key.offset;
        char text[600];
        switch (key.kind) {
        case ProfileKey::kString:
            CopyText(text, sizeof text, reinterpret_cast<const char*>(field));
            break;
        case ProfileKey::kInt32: {
            int32_t v;
            memcpy(&v, field, 4);
            wsprintfA(text, "%d", v);
            break;
        }
        case ProfileKey::kByte:
            wsprintfA(text, "%d", *field);
            break;
        case ProfileKey::kButton:
            WritePrivateProfileStructA("Setting", key.name.c_str(), const_cast<unsigned char*>(field),
                                       static_cast<UINT>(key.size), path.c_str());
            continue;
        }
        WritePrivateProfileStringA("Setting", key.name.c_str(), text, path.c_str());
    }
}

void SystemLoadAndSave(const std::string& folder, SettingsStore& store, int iteration) {
    const std::string ini = ConfigIniPath(folder);
    store.CurrentProfile = static_cast<int32_t>(GetPrivateProfileIntA("Setting", "CurrentProfile", -1, ini.c_str()));
    store.MouseType = static_cast<int32_t>(GetPrivateProfileIntA("Setting", "MouseType", -1, ini.c_str()));
    for (int i = 0; i < kProfileCount; ++i) SystemLoadProfile(ProfileFilePath(folder, i), store.profiles[i]);
    for (ProfileSettings& p : store.profiles) snprintf(p.ProFileName, sizeof p.ProFileName, "Run %d", iteration);
    char text[16];
    wsprintfA(text, "%d", store.CurrentProfile < 0 ? 0 : store.CurrentProfile);
    WritePrivateProfileStringA("Setting", "CurrentProfile", text, ini.c_str());
    for (int i = 0; i < kProfileCount; ++i) SystemSaveProfile(ProfileFilePath(folder, i), store.profiles[i]);
}

void OurLoadAndSave(const std::string& folder, SettingsStore& store, int iteration) {
    LoadStore(folder, store);
    for (ProfileSettings& p : store.profiles) snprintf(p.ProFileName, sizeof p.ProFileName, "Run %d", iteration);
    SaveStore(folder, store);
}

std::string MakeFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name + "\\";
    EnsureDirectory(folder);
    EnsureDirectory(folder + "config");
    SettingsStore store;
    ClearStore(store);
    ResetAllProfiles(store);
    SaveStore(folder, store);
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? atoi(argv[1]) : 20;
    const std::string ours = MakeFolder("kestra_bench_ours");
    const std::string system = MakeFolder("kestra_bench_kernel32");
    SettingsStore store;
    ClearStore(store);

    double start = Now();
    for (int i = 0; i < iterations; ++i) SystemLoadAndSave(system, store, i);
    const double systemTime = (Now() - start) / iterations;

    start = Now();
    for (int i = 0; i < iterations; ++i) OurLoadAndSave(ours, store, i);
    const double ourTime = (Now() - start) / iterations;

    printf("iterations: %d\n", iterations);
    printf("kernel32 load+save of five profiles: %.2f ms\n", systemTime * 1000);
    printf("ours     load+save of five profiles: %.2f ms\n", ourTime * 1000);
    printf("kernel32 / ours: %.1f\n", systemTime / ourTime);
    return 0;
}
