#!/usr/bin/python3
"""Writes the winget and Scoop manifests of one package version.

    manifests.py OUT BASE_URL VERSION PACKAGES_DIR HOMEPAGE [CHECKVER_URL]

PACKAGES_DIR holds the two installers and the zip that scripts/package
built; BASE_URL is where they will be downloaded from, and names VERSION so
that a Scoop bucket can find the next version's address; HOMEPAGE is the
project's page; CHECKVER_URL, needed unless BASE_URL is a GitHub release's, a
page whose first version is the newest (one naming it alone, or release
notes, newest first). Writes
OUT/winget/Velmora.Velmora*.yaml (version, installer and the French default
and English locale manifests) and OUT/scoop/velmora.json.
"""
import hashlib
import json
import pathlib
import re
import subprocess
import sys

import yaml

# The newest schema that winget-pkgs' submission pipeline accepts, which lags
# behind the newest that winget-cli publishes: it refuses a newer one with the
# label Manifest-Version-Error. To tell which it accepts, look at the
# ManifestVersion of manifests merged into microsoft/winget-pkgs in the last
# few days. Its schemas are kept in packaging/schemas/winget.
WINGET_SCHEMA = "1.12.0"
IDENTIFIER = "Velmora.Velmora"
LICENSE = "MIT"
DEFAULT_LOCALE = "fr-FR"
DESCRIPTIONS = {
    "fr-FR": (
        "Ferme les fenêtres de navigateur et les boîtes de dialogue",
        "Velmora reste dans la zone de notification. Un double-clic sur son "
        "icône ferme toutes les fenêtres de navigateur et les boîtes de dialogue "
        "ouvertes, sauf celles d'une liste à conserver, et recommence une fois "
        "par seconde pendant quelques secondes. Il demande aux fenêtres de se "
        "fermer et n'arrête jamais un programme.",
    ),
    "en-US": (
        "Closes web-browser windows and dialog boxes",
        "Velmora lives in the notification area. A double-click on its icon "
        "closes every open web-browser window and dialog box, except those on "
        "a keep list, and repeats that once a second for a few seconds. It asks "
        "windows to close and never ends a program.",
    ),
}
# Windows Vista, the oldest Windows with every function Velmora.exe imports.
MINIMUM_OS = "6.0.6000.0"


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def msi_property(msi, name):
    table = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True,
                           stdout=subprocess.PIPE, text=True).stdout
    for row in table.splitlines():
        key, _, value = row.partition("\t")
        if key == name:
            return value.strip()
    sys.exit(f"{msi} has no {name}")


def write_winget(out, base, version, packages, homepage):
    common = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    installers = []
    for arch in ("x64", "x86"):
        msi = packages / f"Velmora-{version}-{arch}.msi"
        product_code = msi_property(msi, "ProductCode")
        installers.append({
            "Architecture": arch,
            "InstallerUrl": f"{base}/{msi.name}",
            "InstallerSha256": sha256(msi).upper(),
            "ProductCode": product_code,
            # A per-machine MSI: without this, winget launches it unelevated.
            "ElevationRequirement": "elevationRequired",
            "AppsAndFeaturesEntries": [{
                "DisplayName": "Velmora",
                "Publisher": "Velmora",
                "DisplayVersion": version,
                "ProductCode": product_code,
                "UpgradeCode": msi_property(msi, "UpgradeCode"),
            }],
        })
    manifests = {
        "": ("version", {**common, "DefaultLocale": DEFAULT_LOCALE}),
        ".installer": ("installer", {
            **common,
            "MinimumOSVersion": MINIMUM_OS,
            "InstallerType": "msi",
            "Scope": "machine",
            "UpgradeBehavior": "install",
            "Installers": installers,
        }),
    }
    for locale, (short, long) in DESCRIPTIONS.items():
        fields = {**common, "PackageLocale": locale}
        if locale == DEFAULT_LOCALE:
            kind = "defaultLocale"
            fields.update(Publisher="Velmora", PackageName="Velmora", PackageUrl=homepage,
                          License=LICENSE)
        else:
            kind = "locale"
        fields.update(ShortDescription=short, Description=long)
        manifests[f".locale.{locale}"] = (kind, fields)
    folder = out / "winget"
    folder.mkdir(parents=True, exist_ok=True)
    for suffix, (kind, fields) in manifests.items():
        fields.update(ManifestType=kind, ManifestVersion=WINGET_SCHEMA)
        schema = f"https://aka.ms/winget-manifest.{kind.lower()}.{WINGET_SCHEMA}.schema.json"
        text = f"# yaml-language-server: $schema={schema}\n\n"
        text += yaml.safe_dump(fields, sort_keys=False, allow_unicode=True, width=1000)
        (folder / f"{IDENTIFIER}{suffix}.yaml").write_text(text, encoding="utf-8")


def checkver(base, page):
    """Where a bucket looks for a newer version: the repository's latest
    release on GitHub, or else PAGE, whose first version is the
    newest. Not a folder's listing: Scoop takes its first or last match, and
    a listing sorted by name has 1.9.0 after 1.10.0."""
    github = re.match(r"https://github\.com/[^/]+/[^/]+(?=/releases/download/)", base)
    if github:
        return {"github": github[0]}
    if not page:
        sys.exit(f"{base} is not a GitHub release: name the page of the newest version")
    return {"url": page, "regex": r"(\d+\.\d+\.\d+)"}


def write_scoop(out, base, version, packages, homepage, checkver_url):
    zip_file = packages / f"Velmora-{version}-portable.zip"
    next_zip = f"{base}/{zip_file.name}".replace(version, "$version")
    # One zip holds both programs: each architecture unpacks its own folder.
    arch, autoupdate = {}, {}
    for name, folder in (("64bit", "x64"), ("32bit", "x86")):
        arch[name] = {"url": f"{base}/{zip_file.name}", "hash": sha256(zip_file), "extract_dir": folder}
        # The next version's hash is its line in the SHA256SUMS beside it.
        autoupdate[name] = {"url": next_zip, "hash": {"url": "$baseurl/SHA256SUMS"}}
    manifest = {
        "version": version,
        "description": DESCRIPTIONS["en-US"][0],
        "homepage": homepage,
        "license": LICENSE,
        "architecture": arch,
        "bin": "Velmora.exe",
        "shortcuts": [["Velmora.exe", "Velmora"]],
        "checkver": checkver(base, checkver_url),
        "autoupdate": {"architecture": autoupdate},
    }
    folder = out / "scoop"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "velmora.json").write_text(json.dumps(manifest, indent=4, ensure_ascii=False) + "\n",
                                         encoding="utf-8")


if __name__ == "__main__":
    out, base, version, packages, homepage, *checkver_url = sys.argv[1:]
    out, packages, base = pathlib.Path(out), pathlib.Path(packages), base.rstrip("/")
    # Scoop's first: a manifest it could not follow stops both.
    write_scoop(out, base, version, packages, homepage, "".join(checkver_url))
    write_winget(out, base, version, packages, homepage)
