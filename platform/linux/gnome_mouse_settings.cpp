#include "gnome_mouse_settings.h"

#include <gio/gio.h>

#include <cstring>
#include <utility>

namespace j2::platform::gnome {

namespace {

constexpr const char* kSpeed = "speed";
constexpr const char* kDoubleClick = "double-click";
constexpr const char* kAccelProfile = "accel-profile";
constexpr const char* kFlatProfile = "flat";
constexpr const char* kAdaptiveProfile = "adaptive";

// One installed schema with its settings object.
struct Schema
{
    GSettingsSchema* schema = nullptr;
    GSettings* settings = nullptr;

    Schema() = default;
    explicit Schema(const char* id)
    {
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        if (source == nullptr)
            return;
        schema = g_settings_schema_source_lookup(source, id, TRUE);
        if (schema != nullptr)
            settings = g_settings_new_full(schema, nullptr, nullptr);
    }
    ~Schema()
    {
        if (settings != nullptr)
            g_object_unref(settings);
        if (schema != nullptr)
            g_settings_schema_unref(schema);
    }
    Schema(const Schema&) = delete;
    Schema& operator=(const Schema&) = delete;
    Schema(Schema&& other) noexcept : schema(other.schema), settings(other.settings)
    {
        other.schema = nullptr;
        other.settings = nullptr;
    }
    Schema& operator=(Schema&& other) noexcept
    {
        std::swap(schema, other.schema);
        std::swap(settings, other.settings);
        return *this;
    }

    bool has(const char* key) const { return settings != nullptr && g_settings_schema_has_key(schema, key); }

    // Writes `value` (consumed) when the key exists and accepts it; waits until the desktop has it.
    bool write(const char* key, GVariant* value) const
    {
        g_variant_ref_sink(value);
        bool written = false;
        if (has(key)) {
            GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, key);
            // GSettings takes a value out of range or of the wrong type for a programming error (a critical
            // warning, fatal under G_DEBUG=fatal-criticals): refuse it here instead.
            const bool fits = g_variant_is_of_type(value, g_settings_schema_key_get_value_type(schemaKey)) &&
                              g_settings_schema_key_range_check(schemaKey, value);
            g_settings_schema_key_unref(schemaKey);
            written = fits && g_settings_set_value(settings, key, value);
        }
        g_variant_unref(value);
        if (written)
            g_settings_sync();
        return written;
    }
};

} // namespace

struct MouseSettings::Schemas
{
    Schema mouse;
    Schema doubleClick; // empty when the mouse schema holds the key itself
    const Schema& doubleClickHolder() const { return mouse.has(kDoubleClick) ? mouse : doubleClick; }
};

std::unique_ptr<MouseSettings> MouseSettings::open()
{
    auto schemas = std::make_unique<Schemas>();
    schemas->mouse = Schema(kMouseSchema);
    if (schemas->mouse.settings == nullptr)
        return nullptr;
    if (!schemas->mouse.has(kDoubleClick))
        schemas->doubleClick = Schema(kOlderDoubleClickSchema);
    return std::unique_ptr<MouseSettings>(new MouseSettings(std::move(schemas)));
}

MouseSettings::MouseSettings(std::unique_ptr<Schemas> opened) : schemas(std::move(opened)) {}

MouseSettings::~MouseSettings() = default;

bool MouseSettings::setSpeed(double speed)
{
    return schemas->mouse.write(kSpeed, g_variant_new_double(speed));
}

bool MouseSettings::setDoubleClick(int milliseconds)
{
    return schemas->doubleClickHolder().write(kDoubleClick, g_variant_new_int32(milliseconds));
}

bool MouseSettings::readSpeed(double& speed)
{
    if (!schemas->mouse.has(kSpeed))
        return false;
    speed = g_settings_get_double(schemas->mouse.settings, kSpeed);
    return true;
}

bool MouseSettings::readDoubleClick(int& milliseconds)
{
    const Schema& holder = schemas->doubleClickHolder();
    if (!holder.has(kDoubleClick))
        return false;
    milliseconds = g_settings_get_int(holder.settings, kDoubleClick);
    return true;
}

bool MouseSettings::readAccelerated(bool& accelerated)
{
    const Schema& mouse = schemas->mouse;
    if (!mouse.has(kAccelProfile))
        return false;
    gchar* profile = g_settings_get_string(mouse.settings, kAccelProfile);
    accelerated = std::strcmp(profile, kFlatProfile) != 0;
    g_free(profile);
    return true;
}

bool MouseSettings::setAccelerated(bool accelerated)
{
    return schemas->mouse.write(kAccelProfile,
                                g_variant_new_string(accelerated ? kAdaptiveProfile : kFlatProfile));
}

} // namespace j2::platform::gnome
