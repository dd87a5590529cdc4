#!/usr/bin/python3
"""Validates the manifests that scripts/package --url wrote in DIR against the
published schemas in packaging/schemas, and prints each one checked.

    validate_manifests.py DIR
"""
import json
import pathlib
import sys

import jsonschema
import yaml

SCHEMAS = pathlib.Path(__file__).resolve().parents[2] / "packaging" / "schemas"


def validate(manifest, schema_file, name):
    schema = json.loads(schema_file.read_text(encoding="utf-8"))
    errors = [f"{'/'.join(map(str, e.path))}: {e.message}"
              for e in jsonschema.Draft7Validator(schema).iter_errors(manifest)]
    if errors:
        sys.exit(f"{name} does not match {schema_file.name}:\n  " + "\n  ".join(errors))
    print(f"{name}: valid against {schema_file.parent.name}/{schema_file.name}")


def main(folder):
    folder = pathlib.Path(folder)
    kinds = set()
    for path in sorted((folder / "winget").glob("*.yaml")):
        manifest = yaml.safe_load(path.read_text(encoding="utf-8"))
        kind, version = manifest["ManifestType"], manifest["ManifestVersion"]
        kinds.add(kind)
        validate(manifest, SCHEMAS / "winget" / f"manifest.{kind}.{version}.json", path.name)
    if kinds != {"version", "installer", "defaultLocale", "locale"}:
        sys.exit(f"winget manifests of the kinds {sorted(kinds)}")
    scoop = folder / "scoop" / "velmora.json"
    validate(json.loads(scoop.read_text(encoding="utf-8")), SCHEMAS / "scoop" / "schema.json", scoop.name)


if __name__ == "__main__":
    main(sys.argv[1])
