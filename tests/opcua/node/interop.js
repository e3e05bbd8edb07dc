// Interoperability test: an independent OPC UA client (node-opcua) against libopc_ua3 hosted by ua_test_host.
// Usage: node interop.js <path of ua_test_host>
//        node interop.js wine <path of ua_test_host.exe>     (the Windows build of the library, under Wine)
"use strict";
const path = require("path");
const net = require("net");
const readline = require("readline");
const { spawn } = require("child_process");

let client;
try {
  client = require("node-opcua-client");
} catch (e) {
  console.log("node-opcua-client is not installed (npm install --prefix tests/opcua/node): skipped");
  process.exit(77);
}
const {
  OPCUAClient, MessageSecurityMode, SecurityPolicy, UserTokenType, AttributeIds, DataType, BrowseDirection,
  ClientSubscription, ClientMonitoredItem, TimestampsToReturn, StatusCodes, makeBrowsePath,
} = client;

// The host program, or a runner (wine) and the host program.
const hostCommand = process.argv.slice(2).map((a) => (a.includes("/") ? path.resolve(a) : a));
const T0 = 133500000000000000n; // source time set by the host for every initial value
let failures = 0;
function check(condition, what) {
  if (condition) {
    console.log("ok   " + what);
  } else {
    failures++;
    console.log("FAIL " + what);
  }
}
// node-opcua gives time stamps as Date; the host's 100-ns counts since 1601 become milliseconds since 1970.
function ticksToMs(t) { return Number((t - 116444736000000000n) / 10000n); }

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.listen(0, "127.0.0.1", () => { const p = s.address().port; s.close(() => resolve(p)); });
    s.on("error", reject);
  });
}

class Host {
  constructor(args) {
    this.proc = spawn(hostCommand[0], [...hostCommand.slice(1), ...args], { stdio: ["pipe", "pipe", "inherit"] });
    this.lines = [];
    this.waiters = [];
    readline.createInterface({ input: this.proc.stdout }).on("line", (l) => {
      this.lines.push(l);
      this.waiters = this.waiters.filter((w) => !w());
    });
    this.exited = new Promise((r) => this.proc.on("exit", (code) => r(code)));
  }
  send(line) { this.proc.stdin.write(line + "\n"); }
  expect(prefix, ms = 5000) {
    return new Promise((resolve, reject) => {
      const take = () => {
        const i = this.lines.findIndex((l) => l.startsWith(prefix));
        if (i < 0) return false;
        const l = this.lines[i];
        this.lines.splice(i, 1);
        clearTimeout(timer);
        resolve(l);
        return true;
      };
      const timer = setTimeout(() => reject(new Error("host did not say " + prefix)), ms);
      if (!take()) this.waiters.push(take);
    });
  }
  async quit() {
    this.send("quit");
    const code = await this.exited;
    check(code === 0, "host stops when setrunning_bool(0) is called (exit " + code + ")");
  }
}

function makeClient(extra = {}) {
  return OPCUAClient.create({
    endpointMustExist: false,
    securityMode: MessageSecurityMode.None,
    securityPolicy: SecurityPolicy.None,
    connectionStrategy: { maxRetry: 0, initialDelay: 100, maxDelay: 200 },
    requestedSessionTimeout: 20000,
    ...extra,
  });
}

function waitFor(predicate, ms, what) {
  return new Promise((resolve, reject) => {
    const start = Date.now();
    const tick = () => {
      if (predicate()) return resolve();
      if (Date.now() - start > ms) return reject(new Error("timed out waiting for " + what));
      setTimeout(tick, 20);
    };
    tick();
  });
}

async function browseAll(session, nodeId) {
  const result = [];
  let r = await session.browse({
    nodeId, browseDirection: BrowseDirection.Forward, referenceTypeId: "HierarchicalReferences",
    includeSubtypes: true, resultMask: 63,
  });
  result.push(...(r.references || []));
  while (r.continuationPoint && r.continuationPoint.length) {
    r = await session.browseNext(r.continuationPoint, false);
    result.push(...(r.references || []));
  }
  return result;
}

async function anonymousSuite(port) {
  const url = "opc.tcp://127.0.0.1:" + port;
  const host = this;
  const c = makeClient({
    defaultSecureTokenLifetime: 1500, // forces OpenSecureChannel renewals within the test
    transportSettings: { receiveBufferSize: 8192, sendBufferSize: 8192 }, // forces chunking both ways
    keepSessionAlive: true,
  });
  let renewals = 0;
  c.on("security_token_renewed", () => renewals++);
  await c.connect(url);
  const endpoints = await c.getEndpoints();
  check(endpoints.length === 1 && endpoints[0].endpointUrl.toLowerCase() === url.toLowerCase(),
    "GetEndpoints lists one endpoint with the URL dialled");
  const servers = await c.findServers();
  check(servers.length === 1, "FindServers describes the server");
  const s = await c.createSession();
  check(!!s, "anonymous session");

  // Browse from Objects down to every variable.
  const top = await browseAll(s, "i=85");
  const names = top.map((r) => r.browseName.name);
  check(names.includes("Server") && names.includes("Podstancia_1") && names.includes("Station_2") &&
    names.includes("lifebit"), "Objects holds Server and the three groups");
  const g1 = top.find((r) => r.browseName.name === "Podstancia_1");
  check(g1 && g1.nodeId.toString() === "ns=1;i=80001", "group node id is ns=1;i=<group number>");
  const longGroup = top.find((r) => r.nodeId.toString() === "ns=1;i=80004");
  check(longGroup && longGroup.browseName.name === "L".repeat(99), "a 120-byte name is cut to 99 bytes");
  const vars1 = await browseAll(s, "ns=1;i=80001");
  check(JSON.stringify(vars1.map((r) => r.nodeId.toString()).sort()) ===
    JSON.stringify(["ns=1;i=2", "ns=1;i=3", "ns=1;i=4", "ns=1;i=5"]), "group 80001 holds variables 2, 3, 4, 5");
  check(vars1.every((r) => r.nodeClass === 2), "variables browse as NodeClass Variable");
  const everyVariable = [];
  for (const folder of top.filter((r) => r.nodeId.namespace === 1)) {
    for (const v of await browseAll(s, folder.nodeId)) everyVariable.push(v.nodeId.value);
  }
  const expected = [2, 3, 4, 5, 7, 8, 10];
  for (let i = 0; i < 300; i++) expected.push(100 + i);
  check(JSON.stringify(everyVariable.sort((a, b) => a - b)) === JSON.stringify(expected),
    "browsing every group from Objects reaches every declared variable exactly once");
  s.requestedMaxReferencesPerNode = 100;
  const browsePaged = await s.browse({ nodeId: "ns=1;i=80004", browseDirection: BrowseDirection.Forward,
    referenceTypeId: "Organizes", includeSubtypes: true, resultMask: 63 });
  const all = await browseAll(s, "ns=1;i=80004");
  s.requestedMaxReferencesPerNode = 0;
  check(browsePaged.references.length === 100 && browsePaged.continuationPoint, "browse pages with a continuation point");
  check(all.filter((r) => r.nodeClass === 2).length === 300, "BrowseNext reaches all 300 variables of a group");

  // Read values, status and time stamps.
  const dv = await s.read([
    { nodeId: "ns=1;i=2", attributeId: AttributeIds.Value },
    { nodeId: "ns=1;i=3", attributeId: AttributeIds.Value },
    { nodeId: "ns=1;i=4", attributeId: AttributeIds.Value },
    { nodeId: "ns=1;i=7", attributeId: AttributeIds.Value },
    { nodeId: "ns=1;i=10", attributeId: AttributeIds.Value },
    { nodeId: "ns=1;i=2", attributeId: AttributeIds.DataType },
    { nodeId: "ns=1;i=2", attributeId: AttributeIds.AccessLevel },
    { nodeId: "ns=1;i=5", attributeId: AttributeIds.AccessLevel },
    { nodeId: "ns=1;i=4", attributeId: AttributeIds.DisplayName },
    { nodeId: "i=2259", attributeId: AttributeIds.Value },
    { nodeId: "i=2255", attributeId: AttributeIds.Value },
    { nodeId: "ns=1;i=999", attributeId: AttributeIds.Value },
  ], TimestampsToReturn.Both);
  check(dv[0].value.dataType === DataType.Boolean && dv[0].value.value === true && dv[0].statusCode.isGood(),
    "TS 2 reads Boolean true, good");
  check(dv[0].sourceTimestamp && dv[0].sourceTimestamp.getTime() === ticksToMs(T0), "source time stamp as set");
  check(dv[1].value.dataType === DataType.Int32 && dv[1].value.value === 2, "TS 3 reads Int32 2");
  check(dv[2].value.dataType === DataType.Double && dv[2].value.value === 10.5, "TIT 4 reads Double 10.5");
  check(dv[3].statusCode.isBad(), "TIT 7 without a value yet reads bad");
  check(dv[4].value.value === 42, "lifebit reads 42");
  check(dv[5].value.value.toString() === "ns=0;i=1", "DataType of a TS is Boolean");
  check((dv[6].value.value & 3) === 3 && (dv[7].value.value & 3) === 1, "access level follows the writable flag");
  check(dv[8].value.value.text === "U_ab", "display name is the name passed");
  check(dv[9].value.value === 0, "ServerStatus/State is Running");
  check(dv[10].value.value.length === 2 && dv[10].value.value[0] === "http://opcfoundation.org/UA/",
    "NamespaceArray");
  check(dv[11].statusCode.value === StatusCodes.BadNodeIdUnknown.value, "unknown node: BadNodeIdUnknown");

  // A request and a response far above 8192 octets travel in chunks.
  const many = [];
  for (let i = 0; i < 300; i++) {
    for (const a of [AttributeIds.Value, AttributeIds.DisplayName, AttributeIds.BrowseName]) {
      many.push({ nodeId: "ns=1;i=" + (100 + i), attributeId: a });
    }
  }
  const bulk = await s.read(many);
  check(bulk.length === 900 && bulk[3 * 299].value.value === 149.5, "900 reads through 8192-octet chunks");

  // TranslateBrowsePaths and RegisterNodes.
  const tr = await s.translateBrowsePath(makeBrowsePath("i=85", "/1:Podstancia_1/1:U_ab"));
  check(tr.statusCode.isGood() && tr.targets[0].targetId.toString() === "ns=1;i=4", "TranslateBrowsePaths finds U_ab");
  const reg = await s.registerNodes(["ns=1;i=4"]);
  check(reg.length === 1 && reg[0].toString() === "ns=1;i=4", "RegisterNodes");
  await s.unregisterNodes(reg);

  // Writes: the writable Boolean fires the callback with its number; the read-only one is refused.
  const w1 = await s.write({ nodeId: "ns=1;i=2", attributeId: AttributeIds.Value,
    value: { value: { dataType: DataType.Boolean, value: false } } });
  check(w1.isGood(), "write of a writable Boolean is good");
  check((await this.expect("write 2")) === "write 2 0 0 0", "callback fired with 2; getters return false/0");
  const w1b = await s.write({ nodeId: "ns=1;i=2", attributeId: AttributeIds.Value,
    value: { value: { dataType: DataType.Boolean, value: true } } });
  check(w1b.isGood() && (await this.expect("write 2")) === "write 2 1 1 1", "write true: getters return 1/1.0/true");
  const w2 = await s.write({ nodeId: "ns=1;i=5", attributeId: AttributeIds.Value,
    value: { value: { dataType: DataType.Boolean, value: true } } });
  check(w2.value === StatusCodes.BadNotWritable.value, "write to a read-only variable: BadNotWritable");
  const w3 = await s.write({ nodeId: "ns=1;i=2", attributeId: AttributeIds.Value,
    value: { value: { dataType: DataType.Double, value: 1 } } });
  check(w3.value === StatusCodes.BadTypeMismatch.value, "write of a wrong type: BadTypeMismatch");
  const w4 = await s.write({ nodeId: "ns=1;i=3", attributeId: AttributeIds.Value,
    value: { value: { dataType: DataType.Int32, value: 2 } } });
  check(w4.isGood() && (await this.expect("write 3")) === "write 3 2 2 1", "Int32 write reaches the getters");

  // An unsupported service (Call) gets a ServiceFault; the channel and the session stay usable.
  let callStatus = null;
  try {
    const r = await s.call({ objectId: "i=2253", methodId: "i=11492", inputArguments: [] });
    callStatus = r.statusCode;
  } catch (e) {
    callStatus = e.message;
  }
  check(String(callStatus).includes("BadServiceUnsupported"), "Call: BadServiceUnsupported (" + callStatus + ")");
  const after = await s.read({ nodeId: "ns=1;i=4", attributeId: AttributeIds.Value });
  check(after.statusCode.isGood(), "session still works after the unsupported service");

  // Subscription: values pushed by Set_new_val_to_perem and bad status by Set_new_quality_to_perem arrive.
  const sub = ClientSubscription.create(s, { requestedPublishingInterval: 100, requestedLifetimeCount: 600,
    requestedMaxKeepAliveCount: 10, maxNotificationsPerPublish: 0, publishingEnabled: true, priority: 1 });
  await new Promise((r) => sub.on("started", r));
  const seen = [];
  const mi = ClientMonitoredItem.create(sub, { nodeId: "ns=1;i=4", attributeId: AttributeIds.Value },
    { samplingInterval: 0, queueSize: 10, discardOldest: true }, TimestampsToReturn.Both);
  mi.on("changed", (v) => seen.push(v));
  await waitFor(() => seen.length >= 1, 3000, "initial value");
  check(seen[0].value.value === 10.5, "first notification carries the current value");
  const t1 = T0 + 10000000n;
  this.send("set 4 10 0 12.25 " + t1);
  await waitFor(() => seen.some((v) => v.value.value === 12.25), 3000, "pushed value");
  const pushed = seen.find((v) => v.value.value === 12.25);
  check(pushed.sourceTimestamp.getTime() === ticksToMs(t1), "data change carries the source time given");
  this.send("bad 4 " + (t1 + 10000000n));
  await waitFor(() => seen.some((v) => v.statusCode.isBad()), 3000, "bad status");
  check(true, "bad status through Set_new_quality_to_perem reaches the subscriber");
  const lifebit = [];
  const mi2 = ClientMonitoredItem.create(sub, { nodeId: "ns=1;i=10", attributeId: AttributeIds.Value },
    { samplingInterval: 100, queueSize: 1, discardOldest: true }, TimestampsToReturn.Both);
  mi2.on("changed", (v) => lifebit.push(v.value.value));
  await waitFor(() => lifebit.length >= 1, 3000, "lifebit initial");
  for (let k = 1; k <= 3; k++) this.send("set 10 5 " + k + " " + k + " " + (T0 + BigInt(k) * 10000000n));
  await waitFor(() => lifebit.includes(3), 3000, "lifebit changes");
  check(true, "Int32 changes pushed in a row reach the subscriber");

  // The secure channel token is renewed (short lifetime) and the session carries on.
  await waitFor(() => renewals >= 2, 6000, "token renewals");
  const afterRenew = await s.read({ nodeId: "i=2258", attributeId: AttributeIds.Value });
  check(renewals >= 2 && afterRenew.statusCode.isGood(), "two token renewals, reads still good (" + renewals + ")");

  await sub.terminate();
  await s.close();
  await c.disconnect();
}

async function passwordSuite(port) {
  const url = "opc.tcp://127.0.0.1:" + port;
  const c = makeClient();
  await c.connect(url);
  const s = await c.createSession({ type: UserTokenType.UserName, userName: "op", password: "secret" });
  const v = await s.read({ nodeId: "ns=1;i=4", attributeId: AttributeIds.Value });
  check(v.value.value === 10.5, "user name/password session reads");
  await s.close();
  let wrong = null;
  try {
    await c.createSession({ type: UserTokenType.UserName, userName: "op", password: "wrong" });
  } catch (e) {
    wrong = e.message;
  }
  check(wrong && wrong.includes("BadIdentityTokenRejected"), "wrong password: BadIdentityTokenRejected");
  let anon = null;
  try {
    await c.createSession();
  } catch (e) {
    anon = e.message;
  }
  check(anon !== null, "anonymous login refused when password login is on");
  await c.disconnect();
}

async function main() {
  const port1 = await freePort();
  const h1 = new Host(["--port", String(port1)]);
  await h1.expect("ready", 30000);
  await anonymousSuite.call(h1, port1);
  await h1.quit();

  const port2 = await freePort();
  const h2 = new Host(["--port", String(port2), "--user", "op", "--password", "secret"]);
  await h2.expect("ready", 30000);
  await passwordSuite.call(h2, port2);
  await h2.quit();
}

const guard = setTimeout(() => { console.log("FAIL: time-out"); process.exit(1); }, 150000);
main().then(() => {
  clearTimeout(guard);
  console.log(failures === 0 ? "all checks passed" : failures + " check(s) failed");
  process.exit(failures === 0 ? 0 : 1);
}, (e) => {
  console.log("FAIL: " + (e && e.stack ? e.stack : e));
  process.exit(1);
});
